#include "OnboardingPages.h"

#include "BehaviorPage.h"
#include "MicrophonePage.h"
#include "WelcomePage.h"

namespace lullwick {

QWidget* createOnboardingPage(int page, AppState& state, const QString& pictures, QWidget* parent) {
    switch (page) {
    case 0:
        return new WelcomePage(pictures, parent);
    case 1:
        return new MicrophonePage(state, parent);
    case 2:
        return new BehaviorPage(state, parent);
    default:
        break;
    }
    // The listening-hours page (3) and the practice page (4) are counted and reached by the
    // pager, and still empty.
    auto* empty = new QWidget(parent);
    empty->setObjectName(page == 3 ? QStringLiteral("schedulePage") : QStringLiteral("testPage"));
    return empty;
}

} // namespace lullwick

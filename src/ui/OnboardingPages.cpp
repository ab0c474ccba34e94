#include "OnboardingPages.h"

#include "BehaviorPage.h"
#include "ListeningHoursPage.h"
#include "MicrophonePage.h"
#include "PracticePage.h"
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
    case 3:
        return new ListeningHoursPage(state, parent);
    default:
        return new PracticePage(state, pictures, parent);
    }
}

} // namespace lullwick

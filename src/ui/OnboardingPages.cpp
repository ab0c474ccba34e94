#include "OnboardingPages.h"

#include "BehaviorPage.h"
#include "ListeningHoursPage.h"
#include "MicrophonePage.h"
#include "PracticePage.h"
#include "WelcomePage.h"

namespace lullwick {

QWidget* createOnboardingPage(SetupPage page, AppState& state, const QString& pictures,
                              QWidget* parent) {
    switch (page) {
    case SetupPage::welcome:
        return new WelcomePage(pictures, parent);
    case SetupPage::microphone:
        return new MicrophonePage(state, parent);
    case SetupPage::behavior:
        return new BehaviorPage(state, parent);
    case SetupPage::listeningHours:
        return new ListeningHoursPage(state, parent);
    case SetupPage::practice:
        break;
    }
    return new PracticePage(state, pictures, parent);
}

} // namespace lullwick

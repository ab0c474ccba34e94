#pragma once

#include "app/AppState.h"

#include <QObject>
#include <chrono>
#include <memory>

class QSystemTrayIcon;

namespace lullwick {

class ConfirmationPanelController;
class DesktopNotifier;
class GoodNightPanelController;
class MascotPictures;
class MenuContent;
class OnboardingWindowController;
class TrayHost;

// The tray application: owns the one state object, the tray icon that shows whether the
// microphone is being listened to, its menu and the setup assistant.
class LullwickApp : public QObject {
    Q_OBJECT

public:
    // How long the tray icon waits for the desktop's tray to appear (an autostarted Lullwick
    // may come up before the panel).
    static constexpr std::chrono::milliseconds trayWaitLimit{30000};

    // pictures: where the mascot's and the welcome page's pictures are (share/lullwick
    // beside the program by default).
    LullwickApp(AppServices services, const QString& pictures = {}, QObject* parent = nullptr);
    ~LullwickApp() override;

    AppState& state() { return *m_state; }
    ConfirmationPanelController& confirmation() { return *m_confirmation; }
    GoodNightPanelController& goodNight() { return *m_goodNight; }
    OnboardingWindowController& onboarding() { return *m_onboarding; }
    MenuContent& menu() { return *m_menu; }
    // Null until showTrayIcon().
    QSystemTrayIcon* trayIcon() { return m_tray; }

    // Shows the tray icon once the desktop has a tray to show it in, or after trayWaitLimit
    // anyway, then telling the user (log line and notification) that no tray was found.
    // Listening does not wait for it.
    void showTrayIconWhenReady(TrayHost& host, DesktopNotifier& notifier);
    void showTrayIcon();

    // Prints on stderr when a double clap was heard and when the good-night card was first
    // drawn, both on the steady clock in nanoseconds, to measure the time between them.
    void traceLatency();

    // The icon's symbol name for the current state: "hands.clap" or "moon.zzz".
    QString iconName() const;

private:
    void updateIcon();

    SystemLog& m_log;
    QString m_picturesFolder;
    std::unique_ptr<MascotPictures> m_pictures;
    ConfirmationPanelController* m_confirmation;
    GoodNightPanelController* m_goodNight;
    AppState* m_state;
    OnboardingWindowController* m_onboarding;
    MenuContent* m_menu;
    QSystemTrayIcon* m_tray = nullptr;
};

} // namespace lullwick

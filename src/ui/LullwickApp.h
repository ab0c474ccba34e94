#pragma once

#include "app/AppState.h"

#include <QObject>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace lullwick {

class ConfirmationPanelController;
class GoodNightPanelController;
class MascotPictures;

// The tray application: owns the one state object and the tray icon that shows whether the
// microphone is being listened to.
class LullwickApp : public QObject {
    Q_OBJECT

public:
    // pictures: where the mascot's pictures are (share/lullwick beside the program by default).
    LullwickApp(AppServices services, const QString& pictures = {}, QObject* parent = nullptr);
    ~LullwickApp() override;

    AppState& state() { return *m_state; }
    ConfirmationPanelController& confirmation() { return *m_confirmation; }
    GoodNightPanelController& goodNight() { return *m_goodNight; }
    QSystemTrayIcon& trayIcon() { return *m_tray; }

    // Prints on stderr when a double clap was heard and when the good-night card was first
    // drawn, both on the steady clock in nanoseconds, to measure the time between them.
    void traceLatency();

    // The icon's symbol name for the current state: "hands.clap" or "moon.zzz".
    QString iconName() const;

private:
    void updateIcon();

    std::unique_ptr<MascotPictures> m_pictures;
    ConfirmationPanelController* m_confirmation;
    GoodNightPanelController* m_goodNight;
    AppState* m_state;
    std::unique_ptr<QMenu> m_menu; // a menu with no parent widget is ours to delete
    QSystemTrayIcon* m_tray;
};

} // namespace lullwick

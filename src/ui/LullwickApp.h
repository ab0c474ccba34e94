#pragma once

#include "app/AppState.h"

#include <QObject>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace lullwick {

// The tray application: owns the one state object and the tray icon that shows whether the
// microphone is being listened to.
class LullwickApp : public QObject {
    Q_OBJECT

public:
    explicit LullwickApp(AppServices services, QObject* parent = nullptr);
    ~LullwickApp() override;

    AppState& state() { return *m_state; }
    QSystemTrayIcon& trayIcon() { return *m_tray; }

    // The icon's symbol name for the current state: "hands.clap" or "moon.zzz".
    QString iconName() const;

private:
    void updateIcon();

    AppState* m_state;
    std::unique_ptr<QMenu> m_menu; // a menu with no parent widget is ours to delete
    QSystemTrayIcon* m_tray;
};

} // namespace lullwick

#pragma once

#include "app/Timers.h"
#include "app/TrayHost.h"

#include <QDBusConnection>
#include <QPointer>

struct xcb_connection_t;

namespace lullwick {

// Waits for a StatusNotifierWatcher on the session bus (KDE, GNOME with the AppIndicator
// extension) or an X11 tray manager owning _NET_SYSTEM_TRAY_S<screen>.
class TrayHostWatcher : public TrayHost {
    Q_OBJECT

public:
    static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
    // X11 gives no event for a new selection owner without XFixes; a look this often is
    // cheap and only lasts until the tray is there.
    static constexpr std::chrono::milliseconds x11Poll{250};

    TrayHostWatcher(QDBusConnection session, Timers& timers, QObject* parent = nullptr);
    ~TrayHostWatcher() override;

    void waitForHost(std::chrono::milliseconds limit) override;

private:
    bool x11TrayOwned();
    void finish(bool found);

    QDBusConnection m_session;
    Timers& m_timers;
    xcb_connection_t* m_x11 = nullptr;
    int m_screen = 0;
    QPointer<Timer> m_poll;
    bool m_done = false;
};

} // namespace lullwick

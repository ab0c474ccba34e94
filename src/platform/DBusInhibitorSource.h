#pragma once

#include "app/InhibitorSource.h"

#include <QDBusConnection>
#include <chrono>

namespace lullwick {

// The idle and sleep inhibitors the desktop knows of, from logind (system bus), the GNOME
// session manager and KDE PowerDevil's policy agent (session bus). An inhibitor of idle
// becomes a "PreventUserIdleDisplaySleep" record, one of sleep a "PreventSystemSleep" record,
// keyed by the holder's pid where the service tells it, else by its app id.
//
// All services are asked at once, each bounded by the source timeout of its own, so their
// waits overlap; each one that is absent, errs or has not answered in full within its bound
// contributes nothing. The session manager's second round, asked once its list is in, has a
// bound of its own too: the check lasts one bound when every service is silent, two at most.
// The wait blocks the calling thread without running its event loop.
class DBusInhibitorSource : public InhibitorSource {
public:
    static constexpr std::chrono::milliseconds defaultSourceTimeout{250};

    // Connections that are not connected are skipped.
    DBusInhibitorSource(QDBusConnection systemBus, QDBusConnection sessionBus,
                        std::chrono::milliseconds sourceTimeout = defaultSourceTimeout);

    std::optional<AssertionSnapshot> snapshot() override;

private:
    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    std::chrono::milliseconds m_sourceTimeout;
};

} // namespace lullwick

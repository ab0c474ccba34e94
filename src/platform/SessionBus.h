#pragma once

#include <QDBusConnection>

namespace lullwick {

// The session bus where there is one. With none announced, libdbus would launch a stray bus
// of its own for us (X11 autolaunch); the usual systemd place is tried instead. Without
// either, a connection that is not connected.
QDBusConnection sessionBus();

} // namespace lullwick

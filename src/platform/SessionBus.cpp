#include "SessionBus.h"

#include <QFileInfo>

namespace lullwick {

QDBusConnection sessionBus() {
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return QDBusConnection::sessionBus();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + QStringLiteral("/bus");
    if (runtime.isEmpty() || !QFileInfo(socket).exists())
        return QDBusConnection(QStringLiteral("lullwick-no-session-bus"));
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=") + socket,
                                         QStringLiteral("lullwick-session"));
}

} // namespace lullwick

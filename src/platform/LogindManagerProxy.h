#pragma once

#include <QDBusAbstractInterface>

namespace lullwick {

// logind's manager object as seen from one bus connection. Given the unique name of its
// current owner, so that Qt need not follow the well-known name itself.
class LogindManagerProxy : public QDBusAbstractInterface {
    Q_OBJECT

public:
    LogindManagerProxy(const QString& owner, const QDBusConnection& bus, QObject* parent)
        : QDBusAbstractInterface(owner, QStringLiteral("/org/freedesktop/login1"),
                                 "org.freedesktop.login1.Manager", bus, parent) {}

signals:
    // Named as on the bus: Qt relays the D-Bus signal of the same name and signature.
    void PrepareForSleep(bool start);
};

} // namespace lullwick

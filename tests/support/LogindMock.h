#pragma once

#include "DBusMock.h"

#include <QDBusVariant>

namespace lullwick {

// python3-dbusmock's logind template on the private system bus.
class LogindMock : public DBusMock {
public:
    LogindMock()
        : DBusMock(QDBusConnection::systemBus(), QStringLiteral("org.freedesktop.login1"),
                   QStringLiteral("logind")) {}

    // Emits org.freedesktop.login1.Manager.PrepareForSleep(start) from the mock.
    bool prepareForSleep(bool start) {
        return mock(QStringLiteral("EmitSignal"),
                    {QStringLiteral("org.freedesktop.login1.Manager"),
                     QStringLiteral("PrepareForSleep"), QStringLiteral("b"),
                     QVariant(QVariantList{QVariant::fromValue(QDBusVariant(start))})});
    }

    // Makes ListInhibitors return this Python list of (what, who, why, mode, uid, pid).
    bool setInhibitors(const QString& pythonList) {
        return mock(QStringLiteral("AddMethod"),
                    {QString(), QStringLiteral("ListInhibitors"), QString(),
                     QStringLiteral("a(ssssuu)"), QStringLiteral("ret = ") + pythonList});
    }

private:
    bool mock(const QString& method, const QVariantList& arguments) {
        return call(QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.DBus.Mock"), method, arguments)
                   .type() == QDBusMessage::ReplyMessage;
    }
};

} // namespace lullwick

#pragma once

#include "DBusMock.h"

#include <QDBusVariant>

namespace lullwick {

// python3-dbusmock's logind template on the private system bus.
class LogindMock : public DBusMock {
public:
    LogindMock() : DBusMock(QDBusConnection::systemBus(), "org.freedesktop.login1", "logind") {}

    // Emits org.freedesktop.login1.Manager.PrepareForSleep(start) from the mock.
    bool prepareForSleep(bool start) {
        return mock("EmitSignal", {"org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                                   QVariantList{QVariant::fromValue(QDBusVariant(start))}});
    }

    // Makes ListInhibitors answer, after delayMs, this Python list of (what, who,
    // why, mode, uid, pid).
    bool setInhibitors(const QString& pythonList, int delayMs = 0) {
        const QString code = QStringLiteral("time.sleep(%1); ret = %2");
        return mock("AddMethod", {QString(), "ListInhibitors", QString(), "a(ssssuu)",
                                  code.arg(delayMs / 1000.0).arg(pythonList)});
    }

private:
    bool mock(const char* method, const QVariantList& arguments) {
        return call("/org/freedesktop/login1", "org.freedesktop.DBus.Mock", method, arguments)
                   .type() == QDBusMessage::ReplyMessage;
    }
};

} // namespace lullwick

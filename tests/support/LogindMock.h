#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

namespace lullwick {

// python3-dbusmock's logind template on the private system bus, stopped when it goes out of
// scope. The test must run with DBUS_SYSTEM_BUS_ADDRESS pointing to a private bus.
class LogindMock {
public:
    static constexpr int startTimeoutMs = 30000; // python starts slowly on a loaded machine

    LogindMock() {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments({QStringLiteral("-m"), QStringLiteral("dbusmock"),
                                QStringLiteral("--template"), QStringLiteral("logind")});
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }

    ~LogindMock() { stop(); }

    LogindMock(const LogindMock&) = delete;
    LogindMock& operator=(const LogindMock&) = delete;

    static bool isRegistered() {
        return QDBusConnection::systemBus().interface()->isServiceRegistered(
            QStringLiteral("org.freedesktop.login1"));
    }

    // Polls the bus until the mock owns logind's name.
    bool waitUntilReady() const {
        QDeadlineTimer deadline(startTimeoutMs);
        while (!deadline.hasExpired()) {
            if (isRegistered())
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(50);
        }
        return false;
    }

    // Emits org.freedesktop.login1.Manager.PrepareForSleep(start) from the mock.
    bool prepareForSleep(bool start) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
        call << QStringLiteral("org.freedesktop.login1.Manager")
             << QStringLiteral("PrepareForSleep") << QStringLiteral("b")
             << QVariant(QVariantList{QVariant::fromValue(QDBusVariant(start))});
        return QDBusConnection::systemBus().call(call, QDBus::Block, 10000).type() ==
               QDBusMessage::ReplyMessage;
    }

    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
        QDeadlineTimer deadline(10000);
        while (isRegistered() && !deadline.hasExpired())
            QTest::qWait(20);
    }

private:
    QProcess m_process;
};

} // namespace lullwick

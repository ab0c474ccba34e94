#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

namespace lullwick {

// A python3-dbusmock service (or any python script owning a name) on one of the private
// buses of scripts/with-dbus, stopped and gone from the bus when this goes out of scope.
class DBusMock {
public:
    static constexpr int timeoutMs = 30000; // python starts slowly on a loaded machine

    // A dbusmock template by name ("logind") or file, with its JSON parameters.
    DBusMock(QDBusConnection bus, QString name, const QString& templateName,
             const QString& parameters = {})
        : DBusMock(std::move(bus), std::move(name),
                   QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                               QStringLiteral("--template"), templateName} +
                       (parameters.isEmpty()
                            ? QStringList()
                            : QStringList{QStringLiteral("--parameters"), parameters})) {}

    DBusMock(QDBusConnection bus, QString name, const QStringList& pythonArguments)
        : m_bus(std::move(bus)), m_name(std::move(name)) {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"), pythonArguments);
    }
    ~DBusMock() { stop(); }
    DBusMock(const DBusMock&) = delete;
    DBusMock& operator=(const DBusMock&) = delete;

    bool isRegistered() const { return m_bus.interface()->isServiceRegistered(m_name); }

    // Polls the bus until the service owns its name.
    bool waitUntilReady() const {
        const QDeadlineTimer deadline(timeoutMs);
        while (!isRegistered() && m_process.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            QTest::qWait(50);
        return isRegistered();
    }

    // A blocking call to the service, for setting it up.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const {
        QDBusMessage message = QDBusMessage::createMethodCall(m_name, path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 10000);
    }

    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
        const QDeadlineTimer deadline(10000);
        while (isRegistered() && !deadline.hasExpired())
            QTest::qWait(20);
    }

private:
    QDBusConnection m_bus;
    QString m_name;
    QProcess m_process;
};

} // namespace lullwick

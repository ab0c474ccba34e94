#pragma once

#include "ChildProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTest>

namespace lullwick {

// A python3-dbusmock service (or any python script owning a name) on one of the
// private buses of scripts/with-dbus, stopped and gone from the bus when this
// goes out of scope.
class DBusMock {
public:
    static constexpr int timeoutMs = 30000; // python starts slowly on a loaded machine

    // A dbusmock template by name ("logind") or file, with its JSON parameters.
    DBusMock(QDBusConnection bus, QString name, const QString& templateName,
             const QString& parameters = QStringLiteral("{}"))
        : DBusMock(std::move(bus), std::move(name),
                   {"-m", "dbusmock", "--template", templateName, "--parameters", parameters}) {}

    DBusMock(QDBusConnection bus, QString name, const QStringList& pythonArguments)
        : m_bus(std::move(bus)), m_name(std::move(name)),
          m_process(QStringLiteral("/usr/bin/python3"), pythonArguments) {}
    ~DBusMock() { stop(); }

    bool isRegistered() const { return m_bus.interface()->isServiceRegistered(m_name); }

    // Polls the bus until the service owns its name; what python complained of, if it did not.
    bool waitUntilReady() {
        const auto settled = [this] { return isRegistered() || !m_process.isRunning(); };
        if (QTest::qWaitFor(settled, timeoutMs) && isRegistered())
            return true;
        qWarning().noquote() << m_process.errors();
        return false;
    }

    // A blocking call to the service, for setting it up; true when it answered.
    bool call(const QString& path, const QString& interface, const QString& method,
              const QVariantList& arguments = {}) const {
        QDBusMessage message = QDBusMessage::createMethodCall(m_name, path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
    }

    // Gone from the bus when this returns, before the next test asks.
    void stop() {
        if (m_process.isRunning() && ::kill(m_process.pid(), SIGTERM) == 0)
            m_process.wait(10000);
        (void)QTest::qWaitFor([this] { return !isRegistered(); }, 10000);
    }

private:
    QDBusConnection m_bus;
    QString m_name;
    test::ChildProcess m_process;
};

} // namespace lullwick

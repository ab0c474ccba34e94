#pragma once

#include <QDBusConnection>
#include <QObject>
#include <chrono>

namespace lullwick {

// The running Lullwick on the session bus: it owns the well-known name org.lullwick.Lullwick
// and answers org.freedesktop.Application, so that a second launch (or a launcher) brings it
// to the front instead of starting another copy.
class DBusApplicationService : public QObject {
    Q_OBJECT

public:
    static constexpr const char* serviceName = "org.lullwick.Lullwick";
    static constexpr const char* objectPath = "/org/lullwick/Lullwick";

    // How long the bus may take to hand over the name before the request counts as failed.
    static constexpr std::chrono::milliseconds requestBound{500};

    explicit DBusApplicationService(QDBusConnection session, QObject* parent = nullptr);

    // Asks the bus for the name and returns at once; registered() tells the outcome.
    void registerService();

    // Asks the running copy to come to the front; false when none answered. Blocks for at
    // most a second: only a launch that is about to exit calls it.
    static bool activateRunning(QDBusConnection session);

signals:
    // A launcher or a second launch asked for the application.
    void activated();
    // The name is ours, or not: no bus, another process has it, or the bus did not answer.
    void registered(bool owned);

private:
    QDBusConnection m_session;
};

} // namespace lullwick

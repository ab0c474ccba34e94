#include "LogindWakeNotifier.h"

#include "LogindManagerProxy.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace lullwick {

LogindWakeNotifier::LogindWakeNotifier(const QDBusConnection& bus, QObject* parent)
    : WakeNotifier(parent), m_bus(bus) {
    if (!m_bus.isConnected())
        return; // no system bus: run on without wake notices, and do not retry

    auto* watcher = new QDBusServiceWatcher(QLatin1String(serviceName), m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                m_ownerKnown = true;
                attach(newOwner);
            });

    // Asked asynchronously: the answer comes from the bus daemon while the GUI runs on. An
    // error (no owner yet) needs no retry, the watcher reports logind's arrival.
    QDBusMessage lookup = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    lookup << QLatin1String(serviceName);
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(lookup), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QString> reply = *call;
                if (!m_ownerKnown && reply.isValid())
                    attach(reply.value());
            });
}

LogindWakeNotifier::~LogindWakeNotifier() = default;

void LogindWakeNotifier::attach(const QString& owner) {
    const bool wasAttached = isAttached();
    delete m_manager;
    m_manager = nullptr;
    if (!owner.isEmpty()) {
        m_manager = new LogindManagerProxy(owner, m_bus, this);
        connect(m_manager, &LogindManagerProxy::PrepareForSleep, this, [this](bool start) {
            if (!start)
                emit systemDidWake();
        });
    }
    if (wasAttached != isAttached() || isAttached())
        emit attachedChanged();
}

} // namespace lullwick

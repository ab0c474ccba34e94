#include "DBusApplicationService.h"

#include "ApplicationAdaptor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace lullwick {

DBusApplicationService::DBusApplicationService(QDBusConnection session, QObject* parent)
    : QObject(parent), m_session(std::move(session)) {
    new ApplicationAdaptor(*this);
}

void DBusApplicationService::registerService() {
    if (!m_session.isConnected() || !m_session.registerObject(QLatin1String(objectPath), this)) {
        QTimer::singleShot(0, this, [this] { emit registered(false); });
        return;
    }
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    // Flag 4, DO_NOT_QUEUE: a name another copy holds is refused, not waited for. Answer 1:
    // we are its primary owner.
    request << QString::fromLatin1(serviceName) << 4u;
    auto* call = new QDBusPendingCallWatcher(
        m_session.asyncCall(request, static_cast<int>(requestBound.count())), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
        call->deleteLater();
        const QDBusPendingReply<uint> reply = *call;
        emit registered(reply.isValid() && reply.value() == 1);
    });
}

bool DBusApplicationService::activateRunning(QDBusConnection session) {
    if (!session.isConnected())
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(
        QLatin1String(serviceName), QLatin1String(objectPath),
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    message << QVariantMap();
    // Never start a copy through bus activation from here: that copy would be us.
    message.setAutoStartService(false);
    return session.call(message, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
}

} // namespace lullwick

#include "DBusApplicationService.h"

#include "ApplicationAdaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace lullwick {

DBusApplicationService::DBusApplicationService(QDBusConnection session, QObject* parent)
    : QObject(parent), m_session(std::move(session)) {
    new ApplicationAdaptor(*this);
}

bool DBusApplicationService::registerService() {
    if (!m_session.isConnected())
        return false;
    if (!m_session.registerObject(QLatin1String(objectPath), this))
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_session.interface()->registerService(QLatin1String(serviceName),
                                               QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
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

#include "FreedesktopNotifier.h"

#include "AppIdentity.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace lullwick {

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection session) : m_session(std::move(session)) {}

void FreedesktopNotifier::notify(const QString& summary, const QString& body) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // server's default).
    message << QStringLiteral("Lullwick") << 0u << QString::fromLatin1(appId) << summary << body
            << QStringList() << QVariantMap() << -1;
    m_session.asyncCall(message);
}

} // namespace lullwick

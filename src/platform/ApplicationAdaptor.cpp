#include "ApplicationAdaptor.h"

#include "DBusApplicationService.h"

namespace lullwick {

ApplicationAdaptor::ApplicationAdaptor(DBusApplicationService& service)
    : QDBusAbstractAdaptor(&service), m_service(service) {}

void ApplicationAdaptor::Activate(const QVariantMap&) {
    emit m_service.activated();
}

// Lullwick opens no files and has no actions: both mean "come to the front".
void ApplicationAdaptor::Open(const QStringList&, const QVariantMap&) {
    emit m_service.activated();
}

void ApplicationAdaptor::ActivateAction(const QString&, const QVariantList&, const QVariantMap&) {
    emit m_service.activated();
}

} // namespace lullwick

#pragma once

#include "app/DesktopNotifier.h"

#include <QDBusConnection>

namespace lullwick {

// org.freedesktop.Notifications on the session bus; the call is not waited for.
class FreedesktopNotifier : public DesktopNotifier {
public:
    explicit FreedesktopNotifier(QDBusConnection session);

    void notify(const QString& summary, const QString& body) override;

private:
    QDBusConnection m_session;
};

} // namespace lullwick

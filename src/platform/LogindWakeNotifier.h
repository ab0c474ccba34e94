#pragma once

#include "app/WakeNotifier.h"

#include <QDBusConnection>
#include <QString>

namespace lullwick {

class LogindManagerProxy;

// Wake notices from logind: PrepareForSleep(false) on the system bus. Without a bus or
// without logind there are no notices and nothing else happens; logind is followed when it
// appears or restarts later.
class LogindWakeNotifier : public WakeNotifier {
    Q_OBJECT

public:
    static constexpr const char* serviceName = "org.freedesktop.login1";

    explicit LogindWakeNotifier(const QDBusConnection& bus = QDBusConnection::systemBus(),
                                QObject* parent = nullptr);
    ~LogindWakeNotifier() override;

    // True while logind's signals are being received.
    bool isAttached() const { return m_manager != nullptr; }

signals:
    // isAttached() changed.
    void attachedChanged();

private:
    void attach(const QString& owner);

    QDBusConnection m_bus;
    LogindManagerProxy* m_manager = nullptr;
    // Set by the first owner-change notice, which is newer than any pending owner lookup.
    bool m_ownerKnown = false;
};

} // namespace lullwick

#pragma once

#include <QObject>

namespace lullwick {

// Tells when the system has woken from sleep.
class WakeNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~WakeNotifier() override = default;

signals:
    // Emitted on the GUI thread after each wake from system sleep.
    void systemDidWake();
};

} // namespace lullwick

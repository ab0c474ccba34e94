#pragma once

#include <QString>

namespace lullwick {

// A desktop notification bubble.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;

    // Shows the notification; failures are not reported.
    virtual void notify(const QString& summary, const QString& body) = 0;
};

} // namespace lullwick

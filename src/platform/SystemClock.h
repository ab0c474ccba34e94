#pragma once

#include "app/Clock.h"

namespace lullwick {

// Local time in the system's current time zone.
class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace lullwick

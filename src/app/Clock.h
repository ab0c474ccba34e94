#pragma once

#include <QDateTime>

namespace lullwick {

// The wall clock the listening hours are read from.
class Clock {
public:
    virtual ~Clock() = default;

    // The current local date and time.
    virtual QDateTime now() const = 0;
};

} // namespace lullwick

#pragma once

#include "app/Timers.h"

namespace lullwick {

// Timers of the Qt event loop, precise to the millisecond: the coarse default may drift by
// 5 %, which a 30 s period would show as whole seconds.
class QtTimers : public Timers {
public:
    Timer* create(Mode mode, QObject* parent) override;
};

} // namespace lullwick

#pragma once

#include "core/AssertionSnapshot.h"

#include <optional>

namespace lullwick {

// The desktop's list of who keeps the display or the system awake.
class InhibitorSource {
public:
    virtual ~InhibitorSource() = default;

    // A fresh snapshot, taken now; nothing when no part of the desktop answered. Called on
    // the GUI thread, which it holds only briefly (well under a second).
    virtual std::optional<AssertionSnapshot> snapshot() = 0;
};

} // namespace lullwick

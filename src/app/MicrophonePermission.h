#pragma once

#include "MicStatus.h"

#include <functional>

namespace lullwick {

// Whether the application may capture audio, as the platform sees it.
class MicrophonePermission {
public:
    virtual ~MicrophonePermission() = default;

    // The current status; cheap enough to call on every evaluation.
    virtual MicStatus status() const = 0;

    // Asks for access; reply is called once, possibly on another thread, with the answer.
    virtual void request(std::function<void(bool granted)> reply) = 0;
};

} // namespace lullwick

#pragma once

#include <functional>

namespace lullwick {

// Whether the application may capture audio, as the platform sees it.
class MicrophonePermission {
public:
    enum Status { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

    virtual ~MicrophonePermission() = default;

    // The current status; cheap enough to call on every evaluation.
    virtual Status status() const = 0;

    // Asks for access; reply is called once, possibly on another thread, with the answer.
    virtual void request(std::function<void(bool granted)> reply) = 0;
};

} // namespace lullwick

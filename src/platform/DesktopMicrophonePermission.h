#pragma once

#include "app/MicrophonePermission.h"

namespace lullwick {

// A plain Linux desktop has no per-application microphone permission: always authorized.
class DesktopMicrophonePermission : public MicrophonePermission {
public:
    MicStatus status() const override { return MicStatus::authorized; }
    void request(std::function<void(bool granted)> reply) override { reply(true); }
};

} // namespace lullwick

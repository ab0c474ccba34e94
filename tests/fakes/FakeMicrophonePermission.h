#pragma once

#include "app/MicrophonePermission.h"

#include <QList>

namespace lullwick {

// A permission the test sets; requests wait until the test answers them.
class FakeMicrophonePermission : public MicrophonePermission {
public:
    Status status() const override { return current; }
    void request(std::function<void(bool)> reply) override { pending << std::move(reply); }

    Status current = authorized;
    QList<std::function<void(bool)>> pending;
};

} // namespace lullwick

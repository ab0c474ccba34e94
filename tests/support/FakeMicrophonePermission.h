#pragma once

#include "app/MicrophonePermission.h"

#include <QList>
#include <functional>

namespace lullwick {

// A permission whose status the test sets and whose requests wait until answered.
class FakeMicrophonePermission : public MicrophonePermission {
public:
    MicStatus status() const override {
        ++statusReads;
        return current;
    }
    void request(std::function<void(bool granted)> reply) override {
        pending.append(std::move(reply));
    }

    // Answers the oldest request, as the platform would, on the calling thread.
    void answer(bool granted) {
        current = granted ? MicStatus::authorized : MicStatus::denied;
        pending.takeFirst()(granted);
    }

    MicStatus current = MicStatus::authorized;
    QList<std::function<void(bool)>> pending;
    mutable int statusReads = 0;
};

} // namespace lullwick

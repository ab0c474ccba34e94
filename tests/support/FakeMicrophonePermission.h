#pragma once

#include "app/MicrophonePermission.h"

#include <QList>
#include <functional>

namespace lullwick {

// A permission whose status the test sets and whose requests wait until answered.
class FakeMicrophonePermission : public MicrophonePermission {
public:
    Status status() const override {
        ++statusReads;
        return current;
    }
    void request(std::function<void(bool granted)> reply) override {
        pending.append(std::move(reply));
    }

    // Answers the oldest request, as the platform would, on the calling thread.
    void answer(bool granted) {
        current = granted ? authorized : denied;
        pending.takeFirst()(granted);
    }

    Status current = authorized;
    QList<std::function<void(bool)>> pending;
    mutable int statusReads = 0;
};

} // namespace lullwick

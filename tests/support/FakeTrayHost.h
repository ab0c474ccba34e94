#pragma once

#include "app/TrayHost.h"

namespace lullwick {

// A tray host that answers when the test says so (it adds no signals of its own).
class FakeTrayHost : public TrayHost {

public:
    void waitForHost(std::chrono::milliseconds limit) override { waitedFor = limit; }
    void answer(bool found) { emit ready(found); }

    std::chrono::milliseconds waitedFor{-1};
};

} // namespace lullwick

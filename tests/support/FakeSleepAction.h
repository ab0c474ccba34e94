#pragma once

#include "app/SleepAction.h"

namespace lullwick {

class FakeSleepAction : public SleepAction {
public:
    void sleepNow() override { ++calls; }

    int calls = 0;
};

} // namespace lullwick

#pragma once

namespace lullwick {

// What putting the computer to sleep means on this system.
class SleepAction {
public:
    virtual ~SleepAction() = default;

    // Asks the system to sleep and returns without waiting; failures are handled inside.
    virtual void sleepNow() = 0;
};

} // namespace lullwick

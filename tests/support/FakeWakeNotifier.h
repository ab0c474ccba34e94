#pragma once

#include "app/WakeNotifier.h"

namespace lullwick {

class FakeWakeNotifier : public WakeNotifier {
    Q_OBJECT

public:
    void wake() { emit systemDidWake(); }
};

} // namespace lullwick

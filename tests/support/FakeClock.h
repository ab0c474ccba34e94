#pragma once

#include "app/Clock.h"

namespace lullwick {

// Local time standing still until the test moves it.
class FakeClock : public Clock {
public:
    QDateTime now() const override { return current; }

    void setMinute(int minute) {
        current = QDateTime(QDate(2026, 1, 15), QTime(minute / 60, minute % 60));
    }

    QDateTime current{QDate(2026, 1, 15), QTime(12, 0)};
};

} // namespace lullwick

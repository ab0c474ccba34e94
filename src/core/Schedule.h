#pragma once

#include "ScheduleWindow.h"

#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>
#include <optional>

namespace lullwick {

// Minute-of-day arithmetic of the listening hours. A minute is 0…1439 after local midnight;
// disabled windows are ignored everywhere.

inline constexpr std::int64_t minutesPerDay = 1440;

// The minute a wall-clock time reads, as it reads: never through an instant of today, for on
// the day the clocks go forward 02:30 does not exist, and would come back as 03:30. 0 for an
// invalid time.
std::int64_t minuteOfDay(QTime time);

// The wall-clock time of a minute, taken modulo the day. Also on the days the clocks change:
// counting seconds from midnight would show 21:00 as 22:00 on such a day.
QTime timeOfMinute(std::int64_t minute);

// Start included, end excluded; an end before the start crosses midnight, an end equal to
// the start covers the whole day.
bool windowContains(const ScheduleWindow& window, std::int64_t minute);

// True when an enabled window contains the minute (the schedule switch is the caller's).
bool windowsAllowListening(const ScheduleWindows& windows, std::int64_t minute);

// The enabled start reached soonest from the minute (a start at the minute itself is
// reached at once); the earlier one in the list on a tie; none without enabled windows.
std::optional<std::int64_t> nextWindowStart(const ScheduleWindows& windows, std::int64_t minute);

// "start – end" per enabled window, joined by "  ·  "; "No hours set" when there is none.
QString describeWindows(const ScheduleWindows& windows,
                        const std::function<QString(std::int64_t minute)>& timeText);

} // namespace lullwick

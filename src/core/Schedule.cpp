#include "Schedule.h"

namespace lullwick {

std::int64_t minuteOfDay(QTime time) {
    if (!time.isValid())
        return 0;
    return time.hour() * 60 + time.minute();
}

QTime timeOfMinute(std::int64_t minute) {
    const std::int64_t inDay = ((minute % minutesPerDay) + minutesPerDay) % minutesPerDay;
    return QTime(static_cast<int>(inDay / 60), static_cast<int>(inDay % 60));
}

bool windowContains(const ScheduleWindow& window, std::int64_t minute) {
    const std::int64_t start = window.startMinutes;
    const std::int64_t end = window.endMinutes;
    if (start == end)
        return true;
    if (start < end)
        return start <= minute && minute < end;
    return minute >= start || minute < end;
}

bool windowsAllowListening(const ScheduleWindows& windows, std::int64_t minute) {
    for (const ScheduleWindow& window : windows)
        if (window.isEnabled && windowContains(window, minute))
            return true;
    return false;
}

std::optional<std::int64_t> nextWindowStart(const ScheduleWindows& windows, std::int64_t minute) {
    std::optional<std::int64_t> best;
    std::int64_t bestDistance = 0;
    for (const ScheduleWindow& window : windows) {
        if (!window.isEnabled)
            continue;
        // Truncating remainder, as the stored minutes are trusted to lie in 0…1439.
        const std::int64_t distance =
            (window.startMinutes - minute + minutesPerDay) % minutesPerDay;
        if (!best || distance < bestDistance) {
            best = window.startMinutes;
            bestDistance = distance;
        }
    }
    return best;
}

QString describeWindows(const ScheduleWindows& windows,
                        const std::function<QString(std::int64_t minute)>& timeText) {
    QStringList pieces;
    for (const ScheduleWindow& window : windows)
        if (window.isEnabled)
            pieces << timeText(window.startMinutes) + QStringLiteral(" \u2013 ") +
                          timeText(window.endMinutes);
    if (pieces.isEmpty())
        return QStringLiteral("No hours set");
    return pieces.join(QStringLiteral("  \u00B7  "));
}

} // namespace lullwick

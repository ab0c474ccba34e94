#pragma once

#include "core/ScheduleWindow.h"

#include <QStringList>

namespace lullwick {

inline ScheduleWindow window(std::int64_t start, std::int64_t end, bool enabled = true) {
    return ScheduleWindow{QUuid::createUuid(), start, end, enabled};
}

inline ScheduleWindows night() {
    return {window(1260, 420)};
}

// Start and end of each window, "off" when disabled: "1260-420 720-840off".
inline QString hours(const ScheduleWindows& windows) {
    QStringList parts;
    for (const ScheduleWindow& w : windows)
        parts << QStringLiteral("%1-%2%3")
                     .arg(w.startMinutes)
                     .arg(w.endMinutes)
                     .arg(w.isEnabled ? "" : "off");
    return parts.join(u' ');
}

} // namespace lullwick

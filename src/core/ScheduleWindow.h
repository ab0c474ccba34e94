#pragma once

#include <QByteArray>
#include <QList>
#include <QUuid>
#include <cstdint>
#include <optional>

namespace lullwick {

// One daily listening window. An end before the start crosses midnight; an end equal to the
// start covers the whole day.
struct ScheduleWindow {
    QUuid id;
    std::int64_t startMinutes = 0;
    std::int64_t endMinutes = 0;
    bool isEnabled = true;

    friend bool operator==(const ScheduleWindow&, const ScheduleWindow&) = default;
};

using ScheduleWindows = QList<ScheduleWindow>;

// Compact JSON array of {"id","startMinutes","endMinutes","isEnabled"}, ids upper-case.
QByteArray encodeScheduleWindows(const ScheduleWindows& windows);

// Decodes only as a whole: any missing member, wrong JSON type or minute outside 0…1439
// makes the value unusable. Members that are not listed are ignored.
std::optional<ScheduleWindows> decodeScheduleWindows(const QByteArray& json);

// The window used when no usable list is stored.
ScheduleWindow legacyScheduleWindow(std::int64_t startMinutes, std::int64_t endMinutes);

} // namespace lullwick

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lullwick {

// Enumerations carry their persisted string as raw value; the order is the declaration order.
enum class Sensitivity { low, medium, high };
enum class ConfirmationMode { always, whenVideoPlaying };

inline constexpr std::array allSensitivities{Sensitivity::low, Sensitivity::medium,
                                             Sensitivity::high};
inline constexpr std::array allConfirmationModes{ConfirmationMode::always,
                                                 ConfirmationMode::whenVideoPlaying};

constexpr std::string_view rawValue(Sensitivity s) {
    switch (s) {
    case Sensitivity::low:
        return "low";
    case Sensitivity::medium:
        return "medium";
    case Sensitivity::high:
        return "high";
    }
    return "medium";
}

constexpr std::string_view rawValue(ConfirmationMode m) {
    switch (m) {
    case ConfirmationMode::always:
        return "always";
    case ConfirmationMode::whenVideoPlaying:
        return "whenVideoPlaying";
    }
    return "always";
}

// Exact match, letter case included.
constexpr std::optional<Sensitivity> sensitivityFromRaw(std::string_view raw) {
    for (auto s : allSensitivities)
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

constexpr std::optional<ConfirmationMode> confirmationModeFromRaw(std::string_view raw) {
    for (auto m : allConfirmationModes)
        if (rawValue(m) == raw)
            return m;
    return std::nullopt;
}

// Preference keys and the defaults of absent or unusable values.
namespace keys {
inline constexpr const char* enabled = "enabled";
inline constexpr const char* confirmationMode = "confirmationMode";
inline constexpr const char* sensitivity = "sensitivity";
inline constexpr const char* scheduleEnabled = "scheduleEnabled";
inline constexpr const char* scheduleWindows = "scheduleWindows";
inline constexpr const char* hasCompletedOnboarding = "hasCompletedOnboarding";
inline constexpr const char* legacyScheduleStart = "scheduleStartMinutes";
inline constexpr const char* legacyScheduleEnd = "scheduleEndMinutes";
} // namespace keys

namespace defaults {
inline constexpr bool enabled = true;
inline constexpr ConfirmationMode confirmationMode = ConfirmationMode::always;
inline constexpr Sensitivity sensitivity = Sensitivity::medium;
inline constexpr bool scheduleEnabled = false;
inline constexpr bool hasCompletedOnboarding = false;
inline constexpr std::int64_t legacyScheduleStart = 1260; // 21:00
inline constexpr std::int64_t legacyScheduleEnd = 420;    // 07:00
} // namespace defaults

} // namespace lullwick

#pragma once

#include <QString>
#include <optional>

namespace lullwick {

enum class MascotPose { alert, sleepy, asleep, skeptical };

// The pose's raw value, which is also its picture's base name.
QString rawValue(MascotPose pose);
// Exact match only: "mascot-sleepy" is sleepy; "Mascot-sleepy" and "sleepy" are nothing.
std::optional<MascotPose> mascotPoseFromRaw(const QString& raw);

} // namespace lullwick

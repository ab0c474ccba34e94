#include "MascotPose.h"

#include <array>

namespace lullwick {

QString rawValue(MascotPose pose) {
    switch (pose) {
    case MascotPose::alert:
        return QStringLiteral("mascot-alert");
    case MascotPose::sleepy:
        return QStringLiteral("mascot-sleepy");
    case MascotPose::asleep:
        return QStringLiteral("mascot-asleep");
    case MascotPose::skeptical:
        return QStringLiteral("mascot-skeptical");
    }
    return {};
}

std::optional<MascotPose> mascotPoseFromRaw(const QString& raw) {
    constexpr std::array allPoses{MascotPose::alert, MascotPose::sleepy, MascotPose::asleep,
                                  MascotPose::skeptical};
    for (MascotPose pose : allPoses)
        if (rawValue(pose) == raw)
            return pose;
    return std::nullopt;
}

} // namespace lullwick

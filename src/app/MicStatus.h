#pragma once

#include <QObject>

namespace lullwick {
Q_NAMESPACE

// The microphone permission as the platform reports it; the raw values are the platform's.
enum class MicStatus { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };
Q_ENUM_NS(MicStatus)

} // namespace lullwick

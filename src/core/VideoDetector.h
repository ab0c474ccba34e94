#pragma once

#include "AssertionSnapshot.h"

#include <QSet>
#include <QString>
#include <optional>

namespace lullwick {

// Whether a video is playing, judged from the power assertions of other processes: one that
// keeps the display from sleeping on idle is taken to be a playing video.
namespace VideoDetector {

// "PreventUserIdleDisplaySleep" and "NoDisplaySleepAssertion"; built once, thread-safe.
const QSet<QString>& videoAssertionTypes();

// True as soon as a holder other than ownPid holds an assertion of a video type; false for
// no snapshot and for anything malformed.
bool isVideoPlaying(const std::optional<AssertionSnapshot>& snapshot, qint64 ownPid);

} // namespace VideoDetector
} // namespace lullwick

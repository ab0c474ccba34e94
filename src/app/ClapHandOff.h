#pragma once

#include <QObject>
#include <chrono>
#include <functional>

namespace lullwick {

class ClapDetector;

// A clap or a double clap, and when the detector reported it, on the capture thread.
struct HeardClap {
    bool isDouble = false;
    std::chrono::steady_clock::time_point at;
};

// Sets the detector's clap and double-clap callbacks, before capture starts, so that each
// event reaches onHeard on the GUI thread, in the order heard, while receiver exists.
//
// Each event posts one queued call through Qt's event queue: one small allocation and the
// queue's lock on the capture thread, per clap, never per buffer. That thread already runs
// under the sound server loop's lock, which the GUI thread takes too, so a lock-free queue
// with a wake-up of its own would make it no freer.
void handClapsTo(ClapDetector& detector, QObject& receiver,
                 std::function<void(const HeardClap&)> onHeard);

} // namespace lullwick

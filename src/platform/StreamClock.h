#pragma once

#include <cstddef>
#include <cstdint>

namespace lullwick {

// Dates a record stream's frames by counting them, not by when each read arrives. A server
// sends a fragment as several packets that may all arrive in the same instant, so a read dated
// by its arrival overlaps the one before; and a read is never early, only late by a varying
// amount. So the stream's origin (arrival less every frame received so far) is the earliest
// that the arrivals of about the last second allow: late ones do not move it, and a device
// clock that drifts from the system's is followed.
//
// The audio thread only: no allocation, no lock.
class StreamClock {
public:
    // The earliest origin is kept per bucket of arrivals; the last two count.
    static constexpr double bucket = 0.5;
    // An arrival this much later than the origin allows follows lost frames (an overrun, a
    // move to another device): the clock starts again from it at once.
    static constexpr double resyncAfter = 0.2;

    explicit StreamClock(double framesPerSecond) : m_rate(framesPerSecond) {}

    // `queued` frames (this read's and those behind it) have arrived, the last of them by
    // `arrived`. Returns the time of the first of them, the stream's next frame.
    double arrive(double arrived, std::size_t queued) noexcept;
    // The time of the frame `ahead` frames after the stream's next one.
    double timeOf(std::size_t ahead) const noexcept;
    // Those frames are taken (read, or lost in a hole): the next one is after them.
    void take(std::size_t frames) noexcept { m_taken += frames; }
    // A new stream: nothing is known of it.
    void reset() noexcept { *this = StreamClock{m_rate}; }

private:
    double m_rate;
    std::uint64_t m_taken = 0;
    bool m_started = false;
    double m_bucketStart = 0.0;
    double m_current = 0.0;
    double m_previous = 0.0;
    // The time of the stream's frame 0.
    double m_origin = 0.0;
};

} // namespace lullwick

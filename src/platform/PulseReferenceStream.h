#pragma once

#include "platform/PulseConnection.h"
#include "platform/StreamClock.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct pa_stream;

namespace lullwick {

class ClapDetector;

// What the computer plays, read from the monitor of the sink it plays into, mono at the
// microphone's rate (the server mixes and converts), and handed to the detector on the loop's
// thread, the audio thread, stamped on the detector's clock. Used with the loop locked.
class PulseReferenceStream {
public:
    // As large as the microphone's reads: reading a monitor in small fragments also makes the
    // server run its sink in short periods, and wake-ups are most of what listening costs.
    // An onset heard meanwhile waits for the reference that covers it.
    static constexpr std::size_t framesPerFragment = 4096;
    // Only in a recording tool's list does the user see it, beside "Clap detection".
    static constexpr const char* name = "Played sound";

    // onEnded runs on the loop's thread, with the loop locked, when the server ends the
    // stream (its sink went away); the reference is then already ended.
    PulseReferenceStream(PulseConnection& connection, ClapDetector& detector,
                         std::function<void()> onEnded);
    ~PulseReferenceStream();
    PulseReferenceStream(const PulseReferenceStream&) = delete;
    PulseReferenceStream& operator=(const PulseReferenceStream&) = delete;

    // Starts reading the monitor source; the server answers later, on the loop's thread. The
    // computer began to play at `since`, on the detector's clock: what it played before the
    // first read is never known.
    bool openLocked(const std::string& monitor, std::uint32_t rate, double since);
    // Ends the reference and asks the server to remove the stream, without waiting: the loop's
    // thread may call it.
    void closeLocked();
    // As closeLocked(), and returns once the server removed the stream, or at the deadline.
    void closeLocked(PulseConnection::Deadline deadline);

    bool isOpen() const { return m_stream != nullptr; }
    const std::string& monitor() const { return m_monitor; }

private:
    struct Callbacks;

    void detach();

    PulseConnection& m_connection;
    ClapDetector& m_detector;
    std::function<void()> m_onEnded;
    pa_stream* m_stream = nullptr;
    std::string m_monitor;
    StreamClock m_clock{48000.0};
};

} // namespace lullwick

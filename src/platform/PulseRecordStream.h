#pragma once

#include "core/ClapDetector.h"
#include "core/FrameBlocker.h"
#include "core/LevelTap.h"
#include "platform/PulseConnection.h"
#include "platform/StreamClock.h"

#include <cstddef>
#include <cstdint>

struct pa_stream;
struct pa_sample_spec;
struct pa_channel_map;

namespace lullwick {

// A record stream on the server's default source. Its read callback, on the loop's thread, is
// the audio thread: it re-blocks the server's reads (about framesPerRead frames, and odd
// partial ones) into the detector's buffers and hands it channel 0.
// Used with the loop locked.
class PulseRecordStream {
public:
    // Most of what listening costs, in this process and in the server, is wake-ups: the
    // server is asked for reads of this many frames (85 ms at 48000 Hz).
    static constexpr std::size_t framesPerRead = 4096;

    // onMoved and onLost run on the loop's thread, with the loop locked. With a tap, the
    // levels of every buffer go to it too.
    PulseRecordStream(PulseConnection& connection, ClapDetector& detector, LevelTap* tap,
                      std::function<void()> onMoved, std::function<void()> onLost);
    // Destroy it only once closed and once the connection is closed: a query about a new
    // source may still call back until then.
    ~PulseRecordStream() = default;
    PulseRecordStream(const PulseRecordStream&) = delete;
    PulseRecordStream& operator=(const PulseRecordStream&) = delete;

    // Records in the source's rate and channels from the default source, which was checked to
    // be the microphone `sourceIndex`; returns once the server records.
    std::optional<DetectorError> openLocked(const pa_sample_spec& source, const pa_channel_map& map,
                                            std::uint32_t sourceIndex,
                                            PulseConnection::Deadline deadline);
    // Returns once the server removed the stream, or at the deadline.
    void closeLocked(PulseConnection::Deadline deadline);

private:
    struct Callbacks;

    void muteUntilChecked();

    PulseConnection& m_connection;
    std::function<void()> m_onMoved;
    std::function<void()> m_onLost;
    pa_stream* m_stream = nullptr;

    // The loop's thread only (or another with the loop locked).
    ClapDetector& m_detector;
    LevelTap* m_tap;
    FrameBlocker m_blocker{ClapDetector::framesPerBuffer};
    std::size_t m_channels = 0;
    StreamClock m_clock{48000.0};
    // Set while the stream may be on a monitor: its buffers are dropped, never analysed.
    bool m_muted = false;
};

} // namespace lullwick

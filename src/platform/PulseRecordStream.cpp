#include "PulseRecordStream.h"

#include "PulseStreams.h"

#include <pulse/pulseaudio.h>

namespace lullwick {

struct PulseRecordStream::Callbacks {
    static PulseRecordStream& self(void* data) { return *static_cast<PulseRecordStream*>(data); }

    static void state(pa_stream* stream, void* data) {
        PulseRecordStream& self = Callbacks::self(data);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY || isFinal(state))
            self.m_connection.wake();
        // Killed by the server, or its source vanished with no place to move it to.
        if (isFinal(state))
            self.m_onLost();
    }

    // The audio path: no allocation, no lock besides the loop's own (a clap's hand-off to the
    // GUI thread aside), no output. Traced only with a tap, chosen once when the stream opens,
    // not per buffer. Each buffer is dated by its own last frame, on the stream's clock.
    template <bool traced> static void read(pa_stream* stream, std::size_t, void* data) {
        PulseRecordStream& self = Callbacks::self(data);
        const std::size_t frameBytes = self.m_channels * sizeof(float);
        takeReads(stream, [&](const void* samples, std::size_t bytes, std::size_t readable,
                              double arrived) {
            StreamClock& clock = self.m_clock;
            clock.arrive(arrived, readable / frameBytes);
            const std::size_t frames = bytes / frameBytes;
            // A null pointer with a length is a hole in the recording: skipped, not analysed,
            // and no buffer spans it.
            if (samples == nullptr || self.m_muted) {
                if (samples == nullptr)
                    self.m_blocker.clear();
                clock.take(frames);
                return;
            }
            ClapDetector& detector = self.m_detector;
            FrameBlocker& blocker = self.m_blocker;
            // Where the next block ends in the frames of this peek.
            std::size_t blockEnd = blocker.framesPerBlock() - blocker.pendingFrames();
            blocker.push(static_cast<const float*>(samples), frames, self.m_channels,
                         [&](std::span<const float> block) {
                             const double end = clock.timeOf(blockEnd);
                             const auto at = [end] { return end; };
                             blockEnd += blocker.framesPerBlock();
                             if constexpr (traced) {
                                 if (const auto trace = detector.processNowTraced(block, at))
                                     self.m_tap->publish(*trace);
                             } else {
                                 detector.processNow(block, at);
                             }
                         });
            clock.take(frames);
        });
    }

    // The server moves a stream whose source disappeared to its fallback, which may be the
    // monitor of an output: nothing is analysed until the new source is known to be a
    // microphone.
    static void moved(pa_stream*, void* data) {
        PulseRecordStream& self = Callbacks::self(data);
        self.muteUntilChecked();
        self.m_onMoved();
    }

    static void movedTo(pa_context*, const pa_source_info* info, int eol, void* data) {
        PulseRecordStream& self = Callbacks::self(data);
        if (eol != 0 || info == nullptr || self.m_stream == nullptr)
            return;
        if (info->index == pa_stream_get_device_index(self.m_stream) &&
            info->monitor_of_sink == PA_INVALID_INDEX) {
            self.m_muted = false;
        }
    }
};

PulseRecordStream::PulseRecordStream(PulseConnection& connection, ClapDetector& detector,
                                     LevelTap* tap, std::function<void()> onMoved,
                                     std::function<void()> onLost)
    : m_connection(connection), m_onMoved(std::move(onMoved)), m_onLost(std::move(onLost)),
      m_detector(detector), m_tap(tap) {}

std::optional<DetectorError> PulseRecordStream::openLocked(const pa_sample_spec& source,
                                                           const pa_channel_map& sourceMap,
                                                           std::uint32_t sourceIndex,
                                                           PulseConnection::Deadline deadline) {
    m_channels = source.channels;
    m_clock = StreamClock{static_cast<double>(source.rate)};
    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, source.rate, source.channels};
    pa_channel_map map = sourceMap;
    if (!pa_channel_map_compatible(&map, &sampleSpec))
        pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_DEFAULT);
    m_stream = pa_stream_new(m_connection.context(), "Clap detection", &sampleSpec, &map);
    if (m_stream == nullptr)
        return m_connection.serverError();
    pa_stream_set_state_callback(m_stream, Callbacks::state, this);
    pa_stream_set_read_callback(m_stream, m_tap ? Callbacks::read<true> : Callbacks::read<false>,
                                this);
    pa_stream_set_moved_callback(m_stream, Callbacks::moved, this);

    const auto any = static_cast<std::uint32_t>(-1);
    const auto fragment = static_cast<std::uint32_t>(framesPerRead * m_channels * sizeof(float));
    const pa_buffer_attr attributes{any, any, any, any, fragment};
    // No device name: the stream follows the server's default source.
    if (pa_stream_connect_record(m_stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY) < 0)
        return m_connection.serverError();
    const auto wait = m_connection.waitLocked(
        [this] {
            const pa_stream_state_t state = pa_stream_get_state(m_stream);
            return state == PA_STREAM_READY || isFinal(state);
        },
        deadline);
    if (wait == PulseConnection::Wait::done && pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return m_connection.serverError();
    if (wait != PulseConnection::Wait::done)
        return m_connection.errorFor(wait);
    // The default changed while we connected: listen only once the new one is checked.
    if (pa_stream_get_device_index(m_stream) != sourceIndex)
        muteUntilChecked();
    return std::nullopt;
}

void PulseRecordStream::closeLocked(PulseConnection::Deadline deadline) {
    if (m_stream == nullptr)
        return;
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    pa_stream_set_moved_callback(m_stream, nullptr, nullptr);
    disconnectLocked(m_connection, m_stream, deadline);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseRecordStream::muteUntilChecked() {
    m_muted = true;
    m_blocker.clear();
    if (pa_operation* operation = pa_context_get_source_info_by_index(
            m_connection.context(), pa_stream_get_device_index(m_stream), Callbacks::movedTo,
            this)) {
        pa_operation_unref(operation);
    }
}

} // namespace lullwick

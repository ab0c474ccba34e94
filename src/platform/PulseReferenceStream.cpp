#include "PulseReferenceStream.h"

#include "PulseStreams.h"
#include "core/ClapDetector.h"

#include <cmath>
#include <pulse/pulseaudio.h>

namespace lullwick {
struct PulseReferenceStream::Callbacks {
    static PulseReferenceStream& self(void* data) {
        return *static_cast<PulseReferenceStream*>(data);
    }

    static void state(pa_stream* stream, void* data) {
        PulseReferenceStream& self = Callbacks::self(data);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (isFinal(state)) {
            self.m_connection.wake();
            if (self.m_stream == stream && state == PA_STREAM_FAILED) {
                self.closeLocked();
                self.m_onEnded();
            }
        }
    }

    // The audio path: no allocation, no lock besides the loop's own, no output. A read is
    // dated as the microphone's buffers are, by a StreamClock, so that both stand on the same
    // footing.
    static void read(pa_stream* stream, std::size_t, void* data) {
        PulseReferenceStream& self = Callbacks::self(data);
        takeReads(stream, [&self](const void* samples, std::size_t bytes, std::size_t readable,
                                  double arrived) {
            const std::size_t frames = bytes / sizeof(float);
            const double start = self.m_clock.arrive(arrived, readable / sizeof(float));
            // A hole: its time passes, nothing is said of it.
            if (samples != nullptr)
                self.m_detector.feedReference({static_cast<const float*>(samples), frames}, start);
            self.m_clock.take(frames);
        });
    }
};

PulseReferenceStream::PulseReferenceStream(PulseConnection& connection, ClapDetector& detector,
                                           std::function<void()> onEnded)
    : m_connection(connection), m_detector(detector), m_onEnded(std::move(onEnded)) {}

PulseReferenceStream::~PulseReferenceStream() {
    detach();
}

bool PulseReferenceStream::openLocked(const std::string& monitor, std::uint32_t rate,
                                      double since) {
    closeLocked();
    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, rate, 1};
    pa_channel_map map;
    pa_channel_map_init_mono(&map);
    m_stream = pa_stream_new(m_connection.context(), name, &sampleSpec, &map);
    if (m_stream == nullptr)
        return false;
    m_monitor = monitor;
    m_clock = StreamClock{static_cast<double>(rate)};
    pa_stream_set_state_callback(m_stream, Callbacks::state, this);
    pa_stream_set_read_callback(m_stream, Callbacks::read, this);

    const auto any = static_cast<std::uint32_t>(-1);
    const auto fragment = static_cast<std::uint32_t>(framesPerFragment * sizeof(float));
    const pa_buffer_attr attributes{any, any, any, any, fragment};
    // It must neither keep the speakers awake nor wander to another device when its sink goes.
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(m_stream, monitor.c_str(), &attributes, flags) < 0) {
        detach();
        return false;
    }
    m_detector.expectReference(since);
    return true;
}

void PulseReferenceStream::closeLocked() {
    if (m_stream == nullptr)
        return;
    m_detector.endReference();
    detach();
}

void PulseReferenceStream::closeLocked(PulseConnection::Deadline deadline) {
    if (m_stream == nullptr)
        return;
    m_detector.endReference();
    pa_stream* stream = m_stream;
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    disconnectLocked(m_connection, stream, deadline);
    detach();
}

void PulseReferenceStream::detach() {
    if (m_stream == nullptr)
        return;
    pa_stream* stream = m_stream;
    m_stream = nullptr;
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    if (!m_connection.hasFailed() && !isFinal(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

} // namespace lullwick

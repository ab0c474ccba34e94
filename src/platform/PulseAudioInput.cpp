#include "PulseAudioInput.h"

#include "platform/AppIdentity.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <pulse/pulseaudio.h>

namespace lullwick {
namespace {

// The detector's clock: seconds since 2001-01-01 00:00 UTC.
double absoluteNow() {
    using namespace std::chrono;
    constexpr double unixTo2001 = 978307200.0;
    return duration<double>(system_clock::now().time_since_epoch()).count() - unixTo2001;
}

DetectorError timeoutError() {
    return {DetectorError::Kind::engine, QStringLiteral("The sound server did not answer.")};
}

DetectorError internalError() {
    return {DetectorError::Kind::engine, QString::fromUtf8(pa_strerror(PA_ERR_INTERNAL))};
}

bool isFinal(pa_context_state_t state) {
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

bool isFinal(pa_stream_state_t state) {
    return state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
}

// What one listing of the sources found out, filled on the main loop's thread.
struct SourceQuery {
    pa_threaded_mainloop* loop = nullptr;
    std::string wanted;
    bool done = false;
    bool found = false;
    bool isMonitor = false;
    std::uint32_t index = PA_INVALID_INDEX;
    pa_sample_spec sampleSpec{};
    pa_channel_map map{};
    std::string description;
    std::vector<std::uint32_t> microphones;
};

struct ServerQuery {
    pa_threaded_mainloop* loop = nullptr;
    bool done = false;
    std::string defaultSource;
};

} // namespace

struct PulseAudioInput::Callbacks {
    static PulseAudioInput& self(void* data) { return *static_cast<PulseAudioInput*>(data); }

    static void contextState(pa_context* context, void* data) {
        PulseAudioInput& input = self(data);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY || isFinal(state))
            pa_threaded_mainloop_signal(input.m_loop, 0);
        // The server went away under a running stream.
        if (isFinal(state) && input.m_running.exchange(false))
            input.postNotice();
    }

    static void streamState(pa_stream* stream, void* data) {
        PulseAudioInput& input = self(data);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY || isFinal(state))
            pa_threaded_mainloop_signal(input.m_loop, 0);
        // Killed by the server, or its source vanished with no place to move it to.
        if (isFinal(state) && input.m_running.exchange(false))
            input.postNotice();
    }

    // The audio path: no allocation, no lock besides the loop's own, no output. Traced only
    // when a tap was set, chosen once at the start, not per buffer.
    template <bool traced> static void streamRead(pa_stream* stream, std::size_t, void* data) {
        PulseAudioInput& input = self(data);
        while (pa_stream_readable_size(stream) > 0) {
            const void* samples = nullptr;
            std::size_t bytes = 0;
            if (pa_stream_peek(stream, &samples, &bytes) < 0 || bytes == 0)
                return;
            // A null pointer with a length is a hole in the recording: skipped, not analysed.
            if (samples != nullptr && !input.m_muted && input.m_detector != nullptr) {
                ClapDetector& detector = *input.m_detector;
                input.m_blocker.push(static_cast<const float*>(samples), bytes / input.m_frameBytes,
                                     input.m_channels, [&](std::span<const float> block) {
                                         if constexpr (traced) {
                                             if (const auto trace =
                                                     detector.processNowTraced(block, absoluteNow))
                                                 input.m_tap->publish(*trace);
                                         } else {
                                             detector.processNow(block, absoluteNow);
                                         }
                                     });
            }
            pa_stream_drop(stream);
        }
    }

    // The server moves a stream whose source disappeared to its fallback, which may be the
    // monitor of an output: nothing is analysed until the new source is known to be a
    // microphone.
    static void streamMoved(pa_stream* stream, void* data) {
        PulseAudioInput& input = self(data);
        input.muteUntilChecked(stream);
        input.postNotice();
    }

    static void movedSourceInfo(pa_context*, const pa_source_info* info, int eol, void* data) {
        PulseAudioInput& input = self(data);
        if (eol != 0 || info == nullptr || input.m_stream == nullptr)
            return;
        if (info->index == pa_stream_get_device_index(input.m_stream) &&
            info->monitor_of_sink == PA_INVALID_INDEX) {
            input.m_muted = false;
        }
    }

    // Volume, mute, suspend and our own stream arrive as source "change" events; they are
    // not configuration changes and are not even asked for details.
    static void subscription(pa_context* context, pa_subscription_event_type_t event,
                             std::uint32_t index, void* data) {
        PulseAudioInput& input = self(data);
        const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        pa_operation* operation = nullptr;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER && type == PA_SUBSCRIPTION_EVENT_CHANGE) {
            operation = pa_context_get_server_info(context, serverChanged, data);
        } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
            if (type == PA_SUBSCRIPTION_EVENT_NEW) {
                operation = pa_context_get_source_info_by_index(context, index, sourceAdded, data);
            } else if (type == PA_SUBSCRIPTION_EVENT_REMOVE) {
                auto& microphones = input.m_microphones;
                const auto it = std::find(microphones.begin(), microphones.end(), index);
                if (it != microphones.end()) {
                    microphones.erase(it);
                    input.postNotice();
                }
            }
        }
        if (operation != nullptr)
            pa_operation_unref(operation);
    }

    static void serverChanged(pa_context*, const pa_server_info* info, void* data) {
        PulseAudioInput& input = self(data);
        if (info == nullptr)
            return;
        const std::string name = info->default_source_name ? info->default_source_name : "";
        if (name != input.m_defaultSource) {
            input.m_defaultSource = name;
            input.postNotice();
        }
    }

    static void sourceAdded(pa_context*, const pa_source_info* info, int eol, void* data) {
        PulseAudioInput& input = self(data);
        if (eol != 0 || info == nullptr || info->monitor_of_sink != PA_INVALID_INDEX)
            return;
        input.m_microphones.push_back(info->index);
        input.postNotice();
    }

    static void deadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
        PulseAudioInput& input = self(data);
        input.m_timedOut = true;
        pa_threaded_mainloop_signal(input.m_loop, 0);
    }

    static void serverInfo(pa_context*, const pa_server_info* info, void* data) {
        auto& query = *static_cast<ServerQuery*>(data);
        if (info != nullptr && info->default_source_name != nullptr)
            query.defaultSource = info->default_source_name;
        query.done = true;
        pa_threaded_mainloop_signal(query.loop, 0);
    }

    static void sourceList(pa_context*, const pa_source_info* info, int eol, void* data) {
        auto& query = *static_cast<SourceQuery*>(data);
        if (eol != 0 || info == nullptr) {
            query.done = true;
            pa_threaded_mainloop_signal(query.loop, 0);
            return;
        }
        const bool isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
        if (!isMonitor)
            query.microphones.push_back(info->index);
        if (info->name != nullptr && query.wanted == info->name) {
            query.found = true;
            query.isMonitor = isMonitor;
            query.index = info->index;
            query.sampleSpec = info->sample_spec;
            query.map = info->channel_map;
            query.description = info->description ? info->description : info->name;
        }
    }
};

PulseAudioInput::PulseAudioInput(QObject* parent) : AudioInput(parent) {}

PulseAudioInput::~PulseAudioInput() {
    teardown();
}

bool PulseAudioInput::isRunning() const {
    return m_running.load();
}

std::optional<DetectorError> PulseAudioInput::start(ClapDetector& detector) {
    if (m_running.load())
        return std::nullopt;
    // What is left of a stream the server took away.
    teardown();

    m_closing = false;
    m_loop = pa_threaded_mainloop_new();
    if (m_loop == nullptr)
        return internalError();
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Lullwick");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, appId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, appId);
    m_context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "Lullwick", properties);
    pa_proplist_free(properties);
    if (m_context == nullptr || pa_threaded_mainloop_start(m_loop) < 0) {
        teardown();
        return internalError();
    }

    pa_threaded_mainloop_lock(m_loop);
    auto error = connectLocked(detector);
    pa_threaded_mainloop_unlock(m_loop);
    if (error)
        teardown();
    return error;
}

std::optional<DetectorError> PulseAudioInput::connectLocked(ClapDetector& detector) {
    pa_context_set_state_callback(m_context, Callbacks::contextState, this);
    // Never spawn a server of our own: no server is no microphone.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return serverError();
    switch (waitLocked([this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; })) {
    case Wait::done:
        break;
    case Wait::failed:
        return serverError();
    case Wait::timedOut:
        return timeoutError();
    }

    // Subscribed before anything is read, so that no change in between goes unnoticed.
    pa_context_set_subscribe_callback(m_context, Callbacks::subscription, this);
    if (pa_operation* operation =
            pa_context_subscribe(m_context,
                                 static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER |
                                                                     PA_SUBSCRIPTION_MASK_SOURCE),
                                 nullptr, nullptr)) {
        pa_operation_unref(operation);
    }

    // The queries live on this stack frame: an unfinished one is cancelled before it ends, so
    // that its callback can never run later.
    auto finish = [this](pa_operation* operation, bool& done) -> std::optional<DetectorError> {
        if (operation == nullptr)
            return serverError();
        const Wait wait = waitLocked([&done] { return done; });
        if (wait != Wait::done)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        if (wait == Wait::failed)
            return serverError();
        if (wait == Wait::timedOut)
            return timeoutError();
        return std::nullopt;
    };

    ServerQuery server;
    server.loop = m_loop;
    if (auto error = finish(pa_context_get_server_info(m_context, Callbacks::serverInfo, &server),
                            server.done))
        return error;
    if (server.defaultSource.empty())
        return DetectorError::noInputDevice();

    SourceQuery source;
    source.loop = m_loop;
    source.wanted = server.defaultSource;
    if (auto error =
            finish(pa_context_get_source_info_list(m_context, Callbacks::sourceList, &source),
                   source.done))
        return error;
    // A monitor would hear the speakers, the film's own applause included.
    if (!source.found || source.isMonitor || source.sampleSpec.rate == 0 ||
        source.sampleSpec.channels == 0)
        return DetectorError::noInputDevice();

    detector.reset();
    m_detector = &detector;
    m_blocker.clear();
    m_muted = false;
    m_channels = source.sampleSpec.channels;
    m_frameBytes = m_channels * sizeof(float);
    m_defaultSource = server.defaultSource;
    m_microphones = std::move(source.microphones);

    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, source.sampleSpec.rate,
                                    source.sampleSpec.channels};
    pa_channel_map map = source.map;
    if (!pa_channel_map_compatible(&map, &sampleSpec))
        pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_DEFAULT);
    m_stream = pa_stream_new(m_context, "Clap detection", &sampleSpec, &map);
    if (m_stream == nullptr)
        return serverError();
    pa_stream_set_state_callback(m_stream, Callbacks::streamState, this);
    pa_stream_set_read_callback(
        m_stream, m_tap ? Callbacks::streamRead<true> : Callbacks::streamRead<false>, this);
    pa_stream_set_moved_callback(m_stream, Callbacks::streamMoved, this);

    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(-1);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(framesPerBuffer * m_frameBytes);
    // No device name: the stream follows the server's default source.
    if (pa_stream_connect_record(m_stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY) < 0)
        return serverError();
    switch (waitLocked([this] {
        return pa_stream_get_state(m_stream) != PA_STREAM_CREATING &&
               pa_stream_get_state(m_stream) != PA_STREAM_UNCONNECTED;
    })) {
    case Wait::done:
        if (pa_stream_get_state(m_stream) != PA_STREAM_READY)
            return serverError();
        break;
    case Wait::failed:
        return serverError();
    case Wait::timedOut:
        return timeoutError();
    }
    // The default changed while we connected: listen only once the new one is checked.
    if (pa_stream_get_device_index(m_stream) != source.index)
        muteUntilChecked(m_stream);

    m_source = {QString::fromStdString(server.defaultSource),
                QString::fromStdString(source.description), sampleSpec.rate, sampleSpec.channels};
    m_running = true;
    return std::nullopt;
}

void PulseAudioInput::muteUntilChecked(pa_stream* stream) {
    m_muted = true;
    m_blocker.clear();
    if (pa_operation* operation = pa_context_get_source_info_by_index(
            m_context, pa_stream_get_device_index(stream), Callbacks::movedSourceInfo, this)) {
        pa_operation_unref(operation);
    }
}

template <typename Done> PulseAudioInput::Wait PulseAudioInput::waitLocked(Done&& done) {
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(serverTimeoutMs) * PA_USEC_PER_MSEC);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    m_timedOut = false;
    pa_time_event* deadline = api->time_new(api, &when, Callbacks::deadline, this);
    Wait result = Wait::done;
    for (;;) {
        if (done())
            break;
        if (contextFailed()) {
            result = Wait::failed;
            break;
        }
        if (m_timedOut) {
            result = Wait::timedOut;
            break;
        }
        pa_threaded_mainloop_wait(m_loop);
    }
    api->time_free(deadline);
    return result;
}

bool PulseAudioInput::contextFailed() const {
    return m_context == nullptr || isFinal(pa_context_get_state(m_context));
}

DetectorError PulseAudioInput::serverError() const {
    const int code = m_context ? pa_context_errno(m_context) : PA_ERR_INTERNAL;
    // Nobody listening on the socket: there is no sound server, hence no microphone.
    if (code == PA_ERR_CONNECTIONREFUSED || code == PA_ERR_INVALIDSERVER)
        return DetectorError::noInputDevice();
    return {DetectorError::Kind::engine, QString::fromUtf8(pa_strerror(code))};
}

void PulseAudioInput::postNotice() {
    if (m_closing)
        return;
    const unsigned generation = m_generation.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation.load())
                emit configurationChanged();
        },
        Qt::QueuedConnection);
}

void PulseAudioInput::teardown() {
    if (m_loop == nullptr)
        return;
    m_running = false;
    pa_threaded_mainloop_lock(m_loop);
    // Under the lock, which every callback holds: what was posted before carries the old
    // generation, and nothing is posted while the connection closes.
    ++m_generation;
    m_closing = true;
    if (m_stream != nullptr) {
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_set_moved_callback(m_stream, nullptr, nullptr);
        // Waits for the server's answer, so that the stream is really gone on return.
        if (!contextFailed() && pa_stream_disconnect(m_stream) == 0)
            waitLocked([this] { return isFinal(pa_stream_get_state(m_stream)); });
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context != nullptr) {
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_detector = nullptr;
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
    m_loop = nullptr;
}

void PulseAudioInput::stop() {
    teardown();
}

} // namespace lullwick

#include "PulsePlaybackWatch.h"

#include "PulseStreams.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

namespace lullwick {

struct PulsePlaybackWatch::Callbacks {
    static PulsePlaybackWatch& self(void* data) { return *static_cast<PulsePlaybackWatch*>(data); }

    static void serverRead(pa_context* context, const pa_server_info* info, void* data) {
        PulsePlaybackWatch& watch = self(data);
        if (watch.m_closed)
            return;
        if (info == nullptr || info->default_sink_name == nullptr ||
            *info->default_sink_name == '\0') {
            watch.settle(false);
            return;
        }
        watch.m_monitor.clear();
        if (pa_operation* operation = pa_context_get_sink_info_by_name(
                context, info->default_sink_name, sinkRead, data)) {
            pa_operation_unref(operation);
        } else {
            watch.settle(false);
        }
    }

    static void sinkRead(pa_context* context, const pa_sink_info* info, int eol, void* data) {
        PulsePlaybackWatch& watch = self(data);
        if (watch.m_closed)
            return;
        if (eol == 0 && info != nullptr) {
            watch.m_sink = info->index;
            watch.m_monitor = info->monitor_source_name ? info->monitor_source_name : "";
            return;
        }
        // A sink that went away between the two questions, or one without a monitor.
        if (watch.m_monitor.empty()) {
            watch.settle(false);
            return;
        }
        watch.m_playing = false;
        if (pa_operation* operation =
                pa_context_get_sink_input_info_list(context, sinkInputListed, data)) {
            pa_operation_unref(operation);
        } else {
            watch.settle(false);
        }
    }

    static void sinkInputListed(pa_context*, const pa_sink_input_info* info, int eol, void* data) {
        PulsePlaybackWatch& watch = self(data);
        if (watch.m_closed)
            return;
        if (eol == 0 && info != nullptr) {
            if (info->sink == watch.m_sink && info->corked == 0)
                watch.m_playing = true;
            return;
        }
        watch.settle(watch.m_playing);
    }

    static void holdOver(pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
        PulsePlaybackWatch& watch = self(data);
        if (watch.m_closed || !watch.m_holding)
            return;
        watch.m_holding = false;
        watch.endReading();
    }
};

PulsePlaybackWatch::PulsePlaybackWatch(PulseConnection& connection, ClapDetector& detector,
                                       std::uint32_t rate, std::function<void(bool)> onReading)
    : m_connection(connection), m_reference(connection, detector,
                                            [this] {
                                                m_onReading(false);
                                                // The default may have moved on and play.
                                                look();
                                            }),
      m_rate(rate), m_onReading(std::move(onReading)) {}

void PulsePlaybackWatch::startLocked() {
    look();
}

// A stream that came, went, was corked, uncorked or moved, or another default sink: each
// arrives as such an event.
void PulsePlaybackWatch::eventLocked(std::uint32_t event) {
    const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT || facility == PA_SUBSCRIPTION_EVENT_SERVER)
        look();
}

void PulsePlaybackWatch::closeLocked(PulseConnection::Deadline deadline) {
    m_closed = true;
    cancelHold();
    const bool wasReading = m_reference.isOpen();
    m_reference.closeLocked(deadline);
    if (wasReading)
        m_onReading(false);
}

void PulsePlaybackWatch::look() {
    if (m_closed)
        return;
    if (m_looking) {
        m_lookAgain = true;
        return;
    }
    if (!m_reference.isOpen() && !m_lookedSince)
        m_lookedSince = detectorClockNow();
    pa_operation* operation =
        pa_context_get_server_info(m_connection.context(), Callbacks::serverRead, this);
    if (operation == nullptr) {
        // The connection failed: the microphone's stream reports it.
        return;
    }
    m_looking = true;
    pa_operation_unref(operation);
}

void PulsePlaybackWatch::settle(bool playing) {
    m_looking = false;
    if (m_lookAgain) {
        m_lookAgain = false;
        look();
        return;
    }
    if (!m_reference.isOpen()) {
        const double since = m_lookedSince.value_or(detectorClockNow());
        m_lookedSince.reset();
        if (playing && m_reference.openLocked(m_monitor, m_rate, since))
            m_onReading(true);
        return;
    }
    if (!playing) {
        startHold();
        return;
    }
    cancelHold();
    // Another default sink that plays: its own sound is the reference from now on.
    if (m_reference.monitor() != m_monitor) {
        endReading();
        if (m_reference.openLocked(m_monitor, m_rate, detectorClockNow()))
            m_onReading(true);
    }
}

void PulsePlaybackWatch::startHold() {
    if (m_holding)
        return;
    const auto usec =
        static_cast<pa_usec_t>(std::chrono::duration_cast<std::chrono::microseconds>(hold).count());
    // One timer, made once and set again each time; the loop frees it with itself.
    if (m_hold == nullptr)
        m_hold = pa_context_rttime_new(m_connection.context(), pa_rtclock_now() + usec,
                                       Callbacks::holdOver, this);
    else
        pa_context_rttime_restart(m_connection.context(), m_hold, pa_rtclock_now() + usec);
    m_holding = m_hold != nullptr;
    if (!m_holding)
        endReading();
}

void PulsePlaybackWatch::cancelHold() {
    if (!m_holding)
        return;
    m_holding = false;
    pa_context_rttime_restart(m_connection.context(), m_hold, PA_USEC_INVALID);
}

void PulsePlaybackWatch::endReading() {
    if (!m_reference.isOpen())
        return;
    m_reference.closeLocked();
    m_onReading(false);
}

} // namespace lullwick

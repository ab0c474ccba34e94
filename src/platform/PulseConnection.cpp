#include "PulseConnection.h"

#include "platform/AppIdentity.h"

#include <QCoreApplication>
#include <algorithm>
#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

namespace lullwick {
namespace {

DetectorError internalError() {
    return {DetectorError::Kind::engine, QString::fromUtf8(pa_strerror(PA_ERR_INTERNAL))};
}

bool isFinal(pa_context_state_t state) {
    return state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

pa_usec_t microsecondsUntil(PulseConnection::Deadline deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - PulseConnection::Clock::now());
    return static_cast<pa_usec_t>(std::max<std::int64_t>(left.count(), 0));
}

} // namespace

struct PulseConnection::Callbacks {
    static void contextState(pa_context* context, void* data) {
        auto& connection = *static_cast<PulseConnection*>(data);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY || isFinal(state))
            connection.wake();
        if (isFinal(state))
            connection.m_onLost();
    }

    static void deadline(pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
        auto& connection = *static_cast<PulseConnection*>(data);
        connection.m_timedOut = true;
        connection.wake();
    }
};

PulseConnection::PulseConnection(std::function<void()> onLost) : m_onLost(std::move(onLost)) {}

PulseConnection::~PulseConnection() {
    close();
}

std::optional<DetectorError> PulseConnection::open(Deadline deadline) {
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
    if (m_context == nullptr || pa_threaded_mainloop_start(m_loop) < 0)
        return internalError();

    lock();
    pa_context_set_state_callback(m_context, Callbacks::contextState, this);
    std::optional<DetectorError> error;
    // Never spawn a server of our own: no server is no microphone.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        error = serverError();
    else
        error = errorFor(waitLocked(
            [this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; }, deadline));
    unlock();
    return error;
}

void PulseConnection::close() {
    if (m_loop == nullptr)
        return;
    lock();
    if (m_context != nullptr) {
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        // Cancels every query still pending, without calling it back.
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    unlock();
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
    m_loop = nullptr;
}

void PulseConnection::lock() {
    pa_threaded_mainloop_lock(m_loop);
}

void PulseConnection::unlock() {
    pa_threaded_mainloop_unlock(m_loop);
}

void PulseConnection::wake() {
    pa_threaded_mainloop_signal(m_loop, 0);
}

PulseConnection::Wait PulseConnection::waitLocked(const std::function<bool()>& done,
                                                  Deadline deadline) {
    m_timedOut = false;
    // On the monotonic clock, as the deadline is.
    pa_time_event* timer = pa_context_rttime_new(
        m_context, pa_rtclock_now() + microsecondsUntil(deadline), Callbacks::deadline, this);
    Wait result = Wait::done;
    while (!done()) {
        if (hasFailed() || m_timedOut) {
            result = hasFailed() ? Wait::failed : Wait::timedOut;
            break;
        }
        pa_threaded_mainloop_wait(m_loop);
    }
    if (timer != nullptr) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
        api->time_free(timer);
    }
    return result;
}

std::optional<DetectorError> PulseConnection::finishLocked(pa_operation* operation,
                                                           const bool& done, Deadline deadline) {
    if (operation == nullptr)
        return serverError();
    const Wait wait = waitLocked([&done] { return done; }, deadline);
    if (wait != Wait::done)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return errorFor(wait);
}

bool PulseConnection::hasFailed() const {
    return m_context == nullptr || isFinal(pa_context_get_state(m_context));
}

DetectorError PulseConnection::serverError() const {
    const int code = m_context ? pa_context_errno(m_context) : PA_ERR_INTERNAL;
    // Nobody listening on the socket: there is no sound server, hence no microphone.
    if (code == PA_ERR_CONNECTIONREFUSED || code == PA_ERR_INVALIDSERVER)
        return DetectorError::noInputDevice();
    return {DetectorError::Kind::engine, QString::fromUtf8(pa_strerror(code))};
}

std::optional<DetectorError> PulseConnection::errorFor(Wait wait) const {
    switch (wait) {
    case Wait::done:
        return std::nullopt;
    case Wait::failed:
        return serverError();
    case Wait::timedOut:
        break;
    }
    return DetectorError{
        DetectorError::Kind::engine,
        QCoreApplication::translate("PulseConnection", "The sound server did not answer.")};
}

} // namespace lullwick

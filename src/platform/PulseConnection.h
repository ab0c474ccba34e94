#pragma once

#include "app/AudioInput.h"

#include <chrono>
#include <functional>
#include <optional>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_operation;

namespace lullwick {

// One connection to the sound server: libpulse's threaded main loop, whose thread runs every
// callback, and a context on it. Every wait ends at a deadline the caller gives, so that a
// server that stopped answering costs the caller its time budget and no more.
class PulseConnection {
public:
    using Clock = std::chrono::steady_clock;
    using Deadline = Clock::time_point;
    enum class Wait { done, failed, timedOut };

    // onLost runs on the loop's thread, with the loop locked, when the connection fails or
    // ends.
    explicit PulseConnection(std::function<void()> onLost);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Starts the loop's thread and returns once the server accepted the connection.
    std::optional<DetectorError> open(Deadline deadline);
    // Disconnects and stops the loop's thread: no callback runs after it returns.
    void close();

    void lock();
    void unlock();

    // With the loop locked: returns once done() holds, the connection failed or the deadline
    // passed. Callbacks that change what done() reads call wake().
    Wait waitLocked(const std::function<bool()>& done, Deadline deadline);
    // With the loop locked: waits for a query whose callback sets `done`. An unfinished query
    // is cancelled, so that its callback never runs after this returns.
    std::optional<DetectorError> finishLocked(pa_operation* operation, const bool& done,
                                              Deadline deadline);
    void wake();

    pa_context* context() const { return m_context; }
    bool hasFailed() const;
    // The reason the server gave for the last failure.
    DetectorError serverError() const;
    // Nothing for a wait that is done.
    std::optional<DetectorError> errorFor(Wait wait) const;

private:
    struct Callbacks;

    std::function<void()> m_onLost;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_timedOut = false;
};

} // namespace lullwick

#pragma once

#include "platform/PulseConnection.h"
#include "platform/PulseReferenceStream.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct pa_time_event;

namespace lullwick {

// Whether the computer plays sound: the server's default sink with at least one stream playing
// into it (not corked), followed through the server's events. While it plays, what it plays is
// read from its monitor into the detector; with nothing playing there is no second stream.
// Used with the loop locked; its callbacks run on the loop's thread.
class PulsePlaybackWatch {
public:
    // What was played last is still on its way through the air and the microphone's reads
    // when its stream ends: the analysis searches delays up to 0.3 s, and a read of the
    // microphone is 85 ms long. The reference is read on for this long.
    static constexpr std::chrono::milliseconds hold{500};

    // onReading(true) when the reference starts, onReading(false) when it ends; on the loop's
    // thread, with the loop locked.
    PulsePlaybackWatch(PulseConnection& connection, ClapDetector& detector, std::uint32_t rate,
                       std::function<void(bool)> onReading);
    // Destroy it only once closed and once the connection is closed.
    ~PulsePlaybackWatch() = default;
    PulsePlaybackWatch(const PulsePlaybackWatch&) = delete;
    PulsePlaybackWatch& operator=(const PulsePlaybackWatch&) = delete;

    // Takes a first look. The caller subscribed to sink-input and server events beforehand and
    // hands each to eventLocked().
    void startLocked();
    void eventLocked(std::uint32_t event);
    // Ends the reference and returns once its stream is gone, or at the deadline; nothing is
    // opened after it.
    void closeLocked(PulseConnection::Deadline deadline);

private:
    struct Callbacks;

    void look();
    void settle(bool playing);
    void startHold();
    void cancelHold();
    void endReading();

    PulseConnection& m_connection;
    PulseReferenceStream m_reference;
    std::uint32_t m_rate;
    std::function<void(bool)> m_onReading;

    // The loop's thread only, once started. One look at a time, in order: an event during a
    // look asks for another once it is done, so that the last answer reflects the last event.
    bool m_looking = false;
    bool m_lookAgain = false;
    bool m_closed = false;
    std::uint32_t m_sink = 0;
    std::string m_monitor;
    bool m_playing = false;
    // When the look that may find something playing began: its sound may be heard from then.
    std::optional<double> m_lookedSince;
    pa_time_event* m_hold = nullptr;
    bool m_holding = false;
};

} // namespace lullwick

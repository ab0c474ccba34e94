#pragma once

#include "platform/PulseConnection.h"

#include <cstddef>
#include <pulse/def.h>
#include <pulse/stream.h>

namespace lullwick {

// What the record streams on a PulseConnection have in common.

// The detector's clock: seconds since 2001-01-01 00:00 UTC, this many after the Unix epoch.
inline constexpr double detectorClockEpoch = 978307200.0;
double detectorClockNow();

// The server is done with a stream in this state: it failed or was removed.
inline bool isFinal(pa_stream_state_t state) {
    return state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
}

// The audio path of a record stream's read callback: hands every read the server holds to
// take(samples, bytes, readable, arrived), where samples is null for a hole, readable counts
// the bytes of this read and of those behind it, and arrived is the detector's clock as it was
// taken; then drops it.
template <typename Take> void takeReads(pa_stream* stream, Take&& take) {
    for (;;) {
        const std::size_t readable = pa_stream_readable_size(stream);
        if (readable == 0 || readable == static_cast<std::size_t>(-1))
            return;
        const double arrived = detectorClockNow();
        const void* samples = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream, &samples, &bytes) < 0 || bytes == 0)
            return;
        take(samples, bytes, readable, arrived);
        pa_stream_drop(stream);
    }
}

// With the loop locked: asks the server to remove the stream and returns once it has, or at the
// deadline; at once when the connection or the stream is already gone.
void disconnectLocked(PulseConnection& connection, pa_stream* stream,
                      PulseConnection::Deadline deadline);

} // namespace lullwick

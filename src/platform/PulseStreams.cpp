#include "PulseStreams.h"

#include <chrono>
#include <pulse/stream.h>

namespace lullwick {

double detectorClockNow() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count() - detectorClockEpoch;
}

void disconnectLocked(PulseConnection& connection, pa_stream* stream,
                      PulseConnection::Deadline deadline) {
    if (connection.hasFailed() || isFinal(pa_stream_get_state(stream)) ||
        pa_stream_disconnect(stream) != 0) {
        return;
    }
    connection.waitLocked([stream] { return isFinal(pa_stream_get_state(stream)); }, deadline);
}

} // namespace lullwick

// The stored schedule windows, as any text: decoding never fails loudly, and whatever
// decodes survives a round trip unchanged.

#include "core/ScheduleWindow.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace lullwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<ScheduleWindows> windows = decodeScheduleWindows(json);
    if (!windows)
        return 0;
    for (const ScheduleWindow& window : *windows) {
        if (window.startMinutes < 0 || window.startMinutes > 1439 || window.endMinutes < 0 ||
            window.endMinutes > 1439)
            std::abort();
    }
    if (decodeScheduleWindows(encodeScheduleWindows(*windows)) != windows)
        std::abort();
    return 0;
}

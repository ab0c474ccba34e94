#include "StreamClock.h"

#include <algorithm>

namespace lullwick {

double StreamClock::arrive(double arrived, std::size_t queued) noexcept {
    const double origin =
        arrived - static_cast<double>(m_taken + static_cast<std::uint64_t>(queued)) / m_rate;
    if (!m_started || origin > m_origin + resyncAfter) {
        m_started = true;
        m_previous = m_current = origin;
        m_bucketStart = arrived;
    } else if (arrived - m_bucketStart >= bucket) {
        m_previous = m_current;
        m_current = origin;
        m_bucketStart = arrived;
    } else {
        m_current = std::min(m_current, origin);
    }
    m_origin = std::min(m_previous, m_current);
    return timeOf(0);
}

double StreamClock::timeOf(std::size_t ahead) const noexcept {
    return m_origin + static_cast<double>(m_taken + static_cast<std::uint64_t>(ahead)) / m_rate;
}

} // namespace lullwick

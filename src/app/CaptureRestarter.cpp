#include "CaptureRestarter.h"

namespace lullwick {

CaptureRestarter::CaptureRestarter(Timers& timers, const AudioInput& input, Steps steps,
                                   QObject* parent)
    : QObject(parent), m_timers(timers), m_input(input), m_steps(std::move(steps)) {}

void CaptureRestarter::restart(std::chrono::milliseconds delay) {
    m_steps.stop();
    if (!m_steps.wanted())
        return;
    m_timers.singleShot(delay, this, [this] {
        if (m_steps.wanted() && !m_input.isRunning())
            m_steps.start();
    });
}

} // namespace lullwick

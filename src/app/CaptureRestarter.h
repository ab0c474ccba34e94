#pragma once

#include "AudioInput.h"
#include "Timers.h"

#include <QObject>
#include <chrono>
#include <functional>

namespace lullwick {

// Closes capture now and opens it again after a delay, if it is still wanted then. Shared by
// the application and `lullwick listen`, so that both restart alike.
class CaptureRestarter : public QObject {
    Q_OBJECT

public:
    // How long capture stays closed after a wake from sleep, and after the audio hardware
    // changed (the sound server needs a moment to settle on the new default source).
    static constexpr std::chrono::milliseconds afterWake{2000};
    static constexpr std::chrono::milliseconds afterConfigurationChange{500};

    struct Steps {
        std::function<void()> stop;   // closes capture
        std::function<bool()> wanted; // whether capture should run now
        std::function<void()> start;  // opens capture
    };

    CaptureRestarter(Timers& timers, const AudioInput& input, Steps steps,
                     QObject* parent = nullptr);

    // Stops now and, when wanted, starts after delay unless capture runs by then. Several
    // restarts may be pending at once (a wake, then a device change); each looks again when
    // it is due, so capture opens once.
    void restart(std::chrono::milliseconds delay);

private:
    Timers& m_timers;
    const AudioInput& m_input;
    Steps m_steps;
};

} // namespace lullwick

#pragma once

#include "app/AudioInput.h"

#include <QList>

namespace lullwick {

// Capture that only counts: starts succeed unless failures are queued.
class FakeAudioInput : public AudioInput {
    Q_OBJECT

public:
    std::optional<DetectorError> start(ClapDetector&) override {
        ++startCalls;
        watching = false;
        if (!failures.isEmpty())
            return failures.takeFirst();
        m_running = true;
        return std::nullopt;
    }
    void stop() override {
        ++stopCalls;
        m_running = false;
        watching = false;
    }
    bool watch() override {
        watching = serverUp;
        return serverUp;
    }
    bool isRunning() const override { return m_running; }

    // The server dropped the stream without being asked.
    void loseStream() { m_running = false; }
    void changeConfiguration() { emit configurationChanged(); }

    QList<DetectorError> failures; // returned by the next starts, in order
    int startCalls = 0;
    int stopCalls = 0;
    bool serverUp = true; // else there is nothing to watch
    bool watching = false;

private:
    bool m_running = false;
};

} // namespace lullwick

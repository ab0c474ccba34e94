#pragma once

#include "AppServices.h"
#include "CaptureRestarter.h"
#include "GoodNightPanel.h"

#include <QObject>
#include <chrono>

namespace lullwick {

class AppState;

// Decides when the microphone is open: the switch, the listening hours, the practice mode
// and the permission; keeps `detectorRunning` in step with capture; reopens capture after a
// wake or a change of the audio hardware.
class ListeningController : public QObject {
    Q_OBJECT

public:
    // How often the listening hours are looked at again; also how often a failed start is
    // retried.
    static constexpr std::chrono::milliseconds tickInterval{30000};
    // With no microphone and no sound server to watch for one, starts are retried after
    // these, doubling: listening resumes within about a second of a server's return, at the
    // cost of one refused connection a second while none runs.
    static constexpr std::chrono::milliseconds firstRetry{250};
    static constexpr std::chrono::milliseconds longestRetry{1000};

    ListeningController(AppState& state, AppServices services, GoodNightPanel& goodNight);

    // Observes wake and device changes, starts the tick and decides once; called once the
    // state object is set up.
    void start();

    bool shouldListen() const;
    // Opens capture (asking for the permission first where due) or closes it.
    void updateListening();
    void requestMicAccess();
    // Re-reads the permission; capture is left as it is.
    void refreshMicStatus();

private:
    void tick();
    void ensureMicAccessAndStart();
    void startDetector();
    void stopDetector();
    void restart(std::chrono::milliseconds delay);
    void awaitMicrophone();
    void retry();

    AppState& m_state;
    AppServices m_services;
    GoodNightPanel& m_goodNight;
    CaptureRestarter m_restarter;
    Timer* m_retry;
    std::chrono::milliseconds m_retryDelay = firstRetry;
    bool m_watching = false;
    // What the log last said of this outage: retries that fail alike add no line.
    QString m_logged;
};

} // namespace lullwick

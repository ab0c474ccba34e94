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

    AppState& m_state;
    AppServices m_services;
    GoodNightPanel& m_goodNight;
    CaptureRestarter m_restarter;
};

} // namespace lullwick

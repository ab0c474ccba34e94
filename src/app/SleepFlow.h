#pragma once

#include "AppServices.h"
#include "AppViews.h"

#include <QObject>
#include <chrono>

namespace lullwick {

class AppState;

// What a double clap leads to: a count in practice mode, nothing, the confirmation card, or
// sleep after the good-night card.
class SleepFlow : public QObject {
    Q_OBJECT

public:
    // How long the good-night card shows before the sleep command.
    static constexpr std::chrono::milliseconds goodNightDuration{1400};

    SleepFlow(AppState& state, AppServices services, AppViews views);

    // A double clap reached the GUI thread.
    void handleDoubleClap();

    // Shows the good-night card and, after it, puts the computer to sleep; ignored while a
    // sleep is already on its way. Looks at no setting: "Sleep Now" always sleeps.
    void sleepNow();

    // From the moment a sleep is decided until the sleep command is issued.
    bool isSleepPending() const { return m_isSleepPending; }

private:
    bool isVideoPlaying();

    AppState& m_state;
    AppServices m_services;
    AppViews m_views;
    bool m_isSleepPending = false;
};

} // namespace lullwick

#include "SleepFlow.h"

#include "AppState.h"
#include "core/VideoDetector.h"

#include <QCoreApplication>
#include <QPointer>

namespace lullwick {

SleepFlow::SleepFlow(AppState& state, AppServices services, AppViews views)
    : m_state(state), m_services(services), m_views(views) {}

void SleepFlow::handleDoubleClap() {
    if (m_state.isClapTestActive()) {
        m_state.setTestDoubleClapCount(m_state.testDoubleClapCount() + 1);
        m_services.sounds.play(SoundPlayer::Sound::glass);
        return;
    }
    if (!m_state.isEnabled() || !m_state.scheduleAllowsListening() ||
        m_views.confirmation.isShowing() || m_isSleepPending)
        return;

    const bool video = isVideoPlaying();
    if (m_state.confirmationMode() == ConfirmationMode::whenVideoPlaying && !video) {
        sleepNow();
        return;
    }
    // The card counts down: to sleep without a video, to a cancel while one plays.
    m_services.sounds.play(SoundPlayer::Sound::tink);
    const QPointer<SleepFlow> self(this);
    m_views.confirmation.show(
        video,
        [self] {
            if (self)
                self->sleepNow();
        },
        [] {});
}

bool SleepFlow::isVideoPlaying() {
    return VideoDetector::isVideoPlaying(m_services.inhibitors.snapshot(),
                                         QCoreApplication::applicationPid());
}

void SleepFlow::sleepNow() {
    if (m_isSleepPending)
        return;
    m_isSleepPending = true;
    m_views.confirmation.close();
    m_views.goodNight.show();
    m_services.timers.singleShot(goodNightDuration, this, [this] {
        m_views.goodNight.close();
        // Cleared first: a failed sleep leaves the flow ready for the next double clap.
        m_isSleepPending = false;
        m_services.sleeper.sleepNow();
    });
}

} // namespace lullwick

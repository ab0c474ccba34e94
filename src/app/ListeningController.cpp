#include "ListeningController.h"

#include "AppState.h"
#include "PostTo.h"

#include <algorithm>

namespace lullwick {

ListeningController::ListeningController(AppState& state, AppServices services,
                                         GoodNightPanel& goodNight)
    : m_state(state), m_services(services), m_goodNight(goodNight),
      m_restarter(services.timers, services.audioInput,
                  {[this] { stopDetector(); }, [this] { return shouldListen(); },
                   [this] { startDetector(); }},
                  this),
      m_retry(services.timers.create(Timers::Mode::singleShot, this)) {
    connect(m_retry, &Timer::timeout, this, &ListeningController::retry);
}

void ListeningController::start() {
    // Queued: a notice never runs inside whatever emitted it.
    connect(
        &m_services.wake, &WakeNotifier::systemDidWake, this,
        [this] { restart(CaptureRestarter::afterWake); }, Qt::QueuedConnection);
    connect(
        &m_services.audioInput, &AudioInput::configurationChanged, this,
        [this] { restart(CaptureRestarter::afterConfigurationChange); }, Qt::QueuedConnection);

    Timer* timer = m_services.timers.create(Timers::Mode::repeating, this);
    connect(timer, &Timer::timeout, this, &ListeningController::tick);
    timer->start(tickInterval);

    updateListening();
}

bool ListeningController::shouldListen() const {
    if (m_state.isClapTestActive())
        return true;
    return m_state.isEnabled() && m_state.scheduleAllowsListening();
}

void ListeningController::updateListening() {
    if (shouldListen())
        ensureMicAccessAndStart();
    else
        stopDetector();
}

void ListeningController::tick() {
    // Runs for the life of the process: it reads only the clock and the state unless
    // listening has to change.
    if (m_state.micDenied())
        return;
    if (shouldListen() != m_state.detectorRunning())
        updateListening();
}

void ListeningController::requestMicAccess() {
    // The platform may answer on any thread; the answer is applied on the GUI thread.
    const QPointer<ListeningController> self(this);
    m_services.microphone.request([self](bool granted) {
        postTo(self, [granted](ListeningController& controller) {
            controller.m_state.setMicStatus(granted ? MicStatus::authorized : MicStatus::denied);
            controller.updateListening();
        });
    });
}

void ListeningController::refreshMicStatus() {
    const MicStatus status = m_services.microphone.status();
    if (status != m_state.micStatus())
        m_state.setMicStatus(status);
}

void ListeningController::ensureMicAccessAndStart() {
    refreshMicStatus();
    switch (m_state.micStatus()) {
    case MicStatus::notDetermined:
        // Nobody is asked for the microphone before the setup assistant, except by its
        // practice page.
        if (m_state.hasCompletedOnboarding() || m_state.isClapTestActive())
            requestMicAccess();
        break;
    case MicStatus::authorized:
        startDetector();
        break;
    case MicStatus::restricted:
    case MicStatus::denied:
        break;
    }
}

void ListeningController::startDetector() {
    if (m_services.audioInput.isRunning()) {
        if (!m_state.detectorRunning())
            m_state.setDetectorRunning(true);
        return;
    }
    const std::optional<DetectorError> error = m_services.audioInput.start(m_state.detector());
    m_watching = false;
    if (!error) {
        m_retry->stop();
        m_retryDelay = firstRetry;
        m_logged.clear();
        m_state.setDetectorRunning(true);
        return;
    }
    m_state.setDetectorRunning(false);
    // Log lines stay in English, whatever the language of the desktop, so that they can be
    // searched for.
    if (error->description != m_logged) {
        m_logged = error->description;
        m_services.log.write(QStringLiteral("Lullwick: could not start audio engine: ") +
                             error->description);
    }
    // A server that refuses is left to the tick: retrying it at once would only repeat the
    // refusal, and a server that does not answer costs the GUI thread its time limit.
    if (error->kind == DetectorError::Kind::noInputDevice)
        awaitMicrophone();
}

void ListeningController::awaitMicrophone() {
    if (m_services.audioInput.watch()) {
        // The server tells when a microphone comes; nothing is polled.
        m_watching = true;
        m_retry->stop();
        return;
    }
    m_retry->start(m_retryDelay);
    m_retryDelay = std::min(m_retryDelay * 2, longestRetry);
}

void ListeningController::retry() {
    if (!m_state.micDenied() && shouldListen() && !m_services.audioInput.isRunning())
        startDetector();
}

void ListeningController::stopDetector() {
    m_retry->stop();
    m_retryDelay = firstRetry;
    m_logged.clear();
    const bool running = m_services.audioInput.isRunning();
    if (running || m_watching)
        m_services.audioInput.stop();
    m_watching = false;
    if (running || m_state.detectorRunning())
        m_state.setDetectorRunning(false);
}

void ListeningController::restart(std::chrono::milliseconds delay) {
    m_goodNight.close();
    m_restarter.restart(delay);
}

} // namespace lullwick

#include "AppState.h"

#include "core/Schedule.h"
#include "core/VideoDetector.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <chrono>

namespace lullwick {
namespace {

QString rawString(std::string_view raw) {
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

bool holds(const QVariant& value, QMetaType::Type type) {
    return value.isValid() && value.metaType().id() == type;
}

// Runs work on the GUI thread if the state object still exists then. Callable from any
// thread: the weak reference is only dereferenced on the GUI thread.
template <typename Work> void postToState(const QPointer<AppState>& state, Work work) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [state, work = std::move(work)] {
            if (state)
                work(*state);
        },
        Qt::QueuedConnection);
}

std::chrono::milliseconds fromSeconds(double seconds) {
    return std::chrono::round<std::chrono::milliseconds>(std::chrono::duration<double>(seconds));
}

} // namespace

AppState::AppState(AppServices services, AppViews views, QObject* parent)
    : QObject(parent), m_services(services), m_views(views) {
    // Published values that never come from the store are set by their initialisers.
    loadSettings();
    m_micStatus = m_services.microphone.status();
    m_launchAtLogin = m_services.loginItem.isEnabled();
    m_detector.setTuning(tuningFor(m_sensitivity));

    const QPointer<AppState> self(this);
    m_detector.setOnDoubleClap([self] {
        // Taken on the capture thread, for the latency trace.
        const auto heardAt = std::chrono::steady_clock::now();
        postToState(self, [heardAt](AppState& state) {
            emit state.doubleClapHeard(heardAt.time_since_epoch().count());
            state.handleDoubleClap();
        });
    });
    m_detector.setOnClap([self] {
        postToState(self, [](AppState& state) {
            if (state.m_isClapTestActive)
                state.setTestClapCount(state.m_testClapCount + 1);
        });
    });

    observeSystem();
    startScheduleTimer();
    updateListening();

    if (!m_hasCompletedOnboarding)
        QTimer::singleShot(setupAssistantDelayMs, this,
                           [this] { emit setupAssistantRequested(0); });
}

AppState::~AppState() {
    // The capture thread feeds our detector: it must be gone before the detector is.
    if (m_services.audioInput.isRunning())
        m_services.audioInput.stop();
}

void AppState::loadSettings() {
    const PreferencesStore& store = m_services.store;

    m_isEnabled = readBool(keys::enabled, defaults::enabled);

    const QVariant mode = store.value(QLatin1String(keys::confirmationMode));
    m_confirmationMode = holds(mode, QMetaType::QString)
                             ? confirmationModeFromRaw(mode.toString().toStdString())
                                   .value_or(defaults::confirmationMode)
                             : defaults::confirmationMode;

    const QVariant sensitivity = store.value(QLatin1String(keys::sensitivity));
    m_sensitivity = holds(sensitivity, QMetaType::QString)
                        ? sensitivityFromRaw(sensitivity.toString().toStdString())
                              .value_or(defaults::sensitivity)
                        : defaults::sensitivity;

    m_scheduleEnabled = readBool(keys::scheduleEnabled, defaults::scheduleEnabled);

    std::optional<ScheduleWindows> windows;
    const QVariant data = store.value(QLatin1String(keys::scheduleWindows));
    if (holds(data, QMetaType::QByteArray))
        windows = decodeScheduleWindows(data.toByteArray());
    if (windows) {
        m_scheduleWindows = *windows;
    } else {
        const QVariant start = store.value(QLatin1String(keys::legacyScheduleStart));
        const QVariant end = store.value(QLatin1String(keys::legacyScheduleEnd));
        m_scheduleWindows = {legacyScheduleWindow(
            holds(start, QMetaType::LongLong) ? start.toLongLong() : defaults::legacyScheduleStart,
            holds(end, QMetaType::LongLong) ? end.toLongLong() : defaults::legacyScheduleEnd)};
    }

    m_hasCompletedOnboarding =
        readBool(keys::hasCompletedOnboarding, defaults::hasCompletedOnboarding);
}

bool AppState::readBool(const char* key, bool fallback) const {
    const QVariant value = m_services.store.value(QLatin1String(key));
    return holds(value, QMetaType::Bool) ? value.toBool() : fallback;
}

void AppState::write(const char* key, const QVariant& value) {
    // A failed write is reported by the store itself; the setting keeps its new value.
    m_services.store.setValue(QLatin1String(key), value);
}

void AppState::setIsEnabled(bool value) {
    m_isEnabled = value;
    emit isEnabledChanged();
    write(keys::enabled, value);
    updateListening();
}

void AppState::setConfirmationMode(ConfirmationMode value) {
    m_confirmationMode = value;
    emit confirmationModeChanged();
    write(keys::confirmationMode, rawString(rawValue(value)));
}

void AppState::setSensitivity(Sensitivity value) {
    m_sensitivity = value;
    emit sensitivityChanged();
    write(keys::sensitivity, rawString(rawValue(value)));
    m_detector.setTuning(tuningFor(value));
}

void AppState::setLaunchAtLogin(bool value) {
    const bool changed = value != m_launchAtLogin;
    m_launchAtLogin = value;
    emit launchAtLoginChanged();
    if (changed)
        updateLoginItem();
}

void AppState::setScheduleEnabled(bool value) {
    m_scheduleEnabled = value;
    emit scheduleEnabledChanged();
    write(keys::scheduleEnabled, value);
    updateListening();
}

void AppState::setScheduleWindows(const ScheduleWindows& value) {
    m_scheduleWindows = value;
    emit scheduleWindowsChanged();
    write(keys::scheduleWindows, encodeScheduleWindows(value));
    updateListening();
}

void AppState::setMicStatus(int value) {
    m_micStatus = value;
    emit micStatusChanged();
}

void AppState::setDetectorRunning(bool value) {
    m_detectorRunning = value;
    emit detectorRunningChanged();
}

void AppState::setHasCompletedOnboarding(bool value) {
    m_hasCompletedOnboarding = value;
    emit hasCompletedOnboardingChanged();
}

void AppState::setIsClapTestActive(bool value) {
    m_isClapTestActive = value;
    emit isClapTestActiveChanged();
}

void AppState::setTestClapCount(qint64 value) {
    m_testClapCount = value;
    emit testClapCountChanged();
}

void AppState::setTestDoubleClapCount(qint64 value) {
    m_testDoubleClapCount = value;
    emit testDoubleClapCountChanged();
}

bool AppState::scheduleAllowsListening() const {
    if (!m_scheduleEnabled)
        return true;
    return windowsAllowListening(m_scheduleWindows, currentMinutes());
}

std::optional<qint64> AppState::nextListeningStartMinutes() const {
    return nextWindowStart(m_scheduleWindows, currentMinutes());
}

qint64 AppState::currentMinutes() const {
    return minutes(m_services.clock.now());
}

qint64 AppState::minutes(const QDateTime& time) const {
    const QTime local = time.toLocalTime().time();
    if (!local.isValid())
        return 0;
    return local.hour() * 60 + local.minute();
}

QString AppState::timeString(qint64 minute) const {
    // The wall-clock time of the minute, also on the days the clocks change: counting
    // seconds from midnight would show 21:00 as 22:00 on such a day.
    static const QLocale locale = QLocale::system();
    const qint64 inDay = ((minute % minutesPerDay) + minutesPerDay) % minutesPerDay;
    return locale.toString(QTime(static_cast<int>(inDay / 60), static_cast<int>(inDay % 60)),
                           QLocale::ShortFormat);
}

QString AppState::scheduleWindowDescription() const {
    return describeWindows(m_scheduleWindows,
                           [this](std::int64_t minute) { return timeString(minute); });
}

void AppState::addScheduleWindow() {
    ScheduleWindows windows = m_scheduleWindows;
    windows.append(ScheduleWindow{QUuid::createUuid(), 720, 840, true});
    setScheduleWindows(windows);
}

void AppState::removeScheduleWindow(const QUuid& id) {
    ScheduleWindows windows = m_scheduleWindows;
    windows.removeIf([&id](const ScheduleWindow& window) { return window.id == id; });
    setScheduleWindows(windows);
}

bool AppState::micDenied() const {
    return m_micStatus == MicrophonePermission::denied ||
           m_micStatus == MicrophonePermission::restricted;
}

QString AppState::statusLine() const {
    if (micDenied())
        return QStringLiteral("Microphone access needed");
    if (m_micStatus == MicrophonePermission::notDetermined && !m_hasCompletedOnboarding)
        return QStringLiteral("Run the Setup Assistant to start");
    if (!m_isEnabled)
        return QStringLiteral("Paused");
    if (m_scheduleEnabled && !scheduleAllowsListening()) {
        const std::optional<qint64> next = nextListeningStartMinutes();
        if (!next)
            return QStringLiteral("Off schedule \u2014 no hours set");
        return QStringLiteral("Off schedule \u2014 resumes at ") + timeString(*next);
    }
    if (m_detectorRunning)
        return QStringLiteral("Listening for \U0001F44F\U0001F44F");
    return QStringLiteral("Starting microphone\u2026");
}

void AppState::requestMicAccess() {
    // The platform may answer on any thread; the answer is applied on the GUI thread.
    const QPointer<AppState> self(this);
    m_services.microphone.request([self](bool granted) {
        postToState(self, [granted](AppState& state) {
            state.setMicStatus(granted ? MicrophonePermission::authorized
                                       : MicrophonePermission::denied);
            state.updateListening();
        });
    });
}

void AppState::refreshMicStatus() {
    const int status = m_services.microphone.status();
    if (status != m_micStatus)
        setMicStatus(status);
}

void AppState::beginClapTest() {
    setIsClapTestActive(true);
    setTestClapCount(0);
    setTestDoubleClapCount(0);
    updateListening();
}

void AppState::endClapTest() {
    if (!m_isClapTestActive)
        return;
    setIsClapTestActive(false);
    updateListening();
}

void AppState::onboardingClosed() {
    endClapTest();
    if (!m_hasCompletedOnboarding) {
        setHasCompletedOnboarding(true);
        write(keys::hasCompletedOnboarding, true);
    }
    updateListening();
}

void AppState::scheduleTimerFired() {
    // Runs every 30 s for the life of the process: it reads only the clock and our own
    // fields unless listening has to change.
    if (micDenied())
        return;
    if (shouldListen() != m_detectorRunning)
        updateListening();
}

void AppState::observeSystem() {
    connect(
        &m_services.wake, &WakeNotifier::systemDidWake, this,
        [this] { restartIfNeeded(wakeRestartDelay); }, Qt::QueuedConnection);
    connect(
        &m_services.audioInput, &AudioInput::configurationChanged, this,
        [this] { restartIfNeeded(configurationRestartDelay); }, Qt::QueuedConnection);
}

void AppState::startScheduleTimer() {
    m_scheduleTimer = new QTimer(this);
    m_scheduleTimer->setObjectName(QStringLiteral("scheduleTimer"));
    m_scheduleTimer->setInterval(scheduleTimerIntervalMs);
    connect(m_scheduleTimer, &QTimer::timeout, this, &AppState::scheduleTimerFired);
    m_scheduleTimer->start();
}

bool AppState::shouldListen() const {
    if (m_isClapTestActive)
        return true;
    return m_isEnabled && scheduleAllowsListening();
}

void AppState::updateListening() {
    if (shouldListen())
        ensureMicAccessAndStart();
    else
        stopDetector();
}

void AppState::ensureMicAccessAndStart() {
    const int status = m_services.microphone.status();
    if (status != m_micStatus)
        setMicStatus(status);
    switch (status) {
    case MicrophonePermission::notDetermined:
        // Nobody is asked for the microphone before the setup assistant, except by its
        // practice page.
        if (m_hasCompletedOnboarding || m_isClapTestActive)
            requestMicAccess();
        break;
    case MicrophonePermission::authorized:
        startDetector();
        break;
    default:
        break;
    }
}

void AppState::startDetector() {
    if (m_services.audioInput.isRunning()) {
        if (!m_detectorRunning)
            setDetectorRunning(true);
        return;
    }
    const std::optional<DetectorError> error = m_services.audioInput.start(m_detector);
    if (!error) {
        setDetectorRunning(true);
        return;
    }
    // No retry here: the schedule timer tries again while listening is wanted.
    setDetectorRunning(false);
    m_services.log.write(QStringLiteral("Lullwick: could not start audio engine: ") +
                         error->description);
}

void AppState::stopDetector() {
    const bool running = m_services.audioInput.isRunning();
    if (!running && !m_detectorRunning)
        return;
    if (running)
        m_services.audioInput.stop();
    setDetectorRunning(false);
}

void AppState::restartIfNeeded(double delaySeconds) {
    m_views.goodNight.close();
    stopDetector();
    if (!shouldListen())
        return;
    // Each pending restart checks again when it runs, so that several of them (a wake
    // followed by a device change) open the microphone once.
    QTimer::singleShot(fromSeconds(delaySeconds), Qt::PreciseTimer, this, [this] {
        if (shouldListen() && !m_services.audioInput.isRunning())
            startDetector();
    });
}

void AppState::updateLoginItem() {
    const std::optional<QString> error = m_services.loginItem.setEnabled(m_launchAtLogin);
    if (!error)
        return;
    m_services.log.write(QStringLiteral("Lullwick: login item change failed: ") + *error);
    // Goes through the same change check: at most one more attempt, then the chain ends.
    setLaunchAtLogin(m_services.loginItem.isEnabled());
}

void AppState::handleDoubleClap() {
    if (m_isClapTestActive) {
        setTestDoubleClapCount(m_testDoubleClapCount + 1);
        m_services.sounds.play(SoundPlayer::Sound::glass);
        return;
    }
    if (!m_isEnabled || !scheduleAllowsListening() || m_views.confirmation.isShowing() ||
        m_isSleepPending)
        return;

    const bool video = isVideoPlaying();
    if (m_confirmationMode == ConfirmationMode::whenVideoPlaying && !video) {
        sleepNow();
        return;
    }
    m_services.sounds.play(SoundPlayer::Sound::tink);
    const QPointer<AppState> self(this);
    m_views.confirmation.show(
        video,
        [self] {
            if (self)
                self->sleepNow();
        },
        [] {});
}

bool AppState::isVideoPlaying() {
    return VideoDetector::isVideoPlaying(m_services.inhibitors.snapshot(),
                                         QCoreApplication::applicationPid());
}

void AppState::sleepNow() {
    if (m_isSleepPending)
        return;
    m_isSleepPending = true;
    m_views.confirmation.close();
    m_views.goodNight.show();
    QTimer::singleShot(std::chrono::milliseconds(goodNightMs), Qt::PreciseTimer, this, [this] {
        m_views.goodNight.close();
        m_isSleepPending = false;
        m_services.sleeper.sleepNow();
    });
}

} // namespace lullwick

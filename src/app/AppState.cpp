#include "AppState.h"

#include "ClapHandOff.h"
#include "StoredSettings.h"
#include "core/Schedule.h"

#include <QLocale>

namespace lullwick {
namespace {

QString rawString(std::string_view raw) {
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

} // namespace

AppState::AppState(AppServices services, AppViews views, QObject* parent)
    : QObject(parent), m_services(services), m_listening(*this, services, views.goodNight),
      m_sleepFlow(*this, services, views) {
    // Initial values: no store writes, none of the setters' effects.
    const StoredSettings stored = StoredSettings::load(m_services.store);
    m_isEnabled = stored.isEnabled;
    m_confirmationMode = stored.confirmationMode;
    m_sensitivity = stored.sensitivity;
    m_scheduleEnabled = stored.scheduleEnabled;
    m_scheduleWindows = stored.scheduleWindows;
    m_hasCompletedOnboarding = stored.hasCompletedOnboarding;
    m_micStatus = m_services.microphone.status();
    m_launchAtLogin = m_services.loginItem.isEnabled();
    m_detector.setTuning(tuningFor(m_sensitivity));

    handClapsTo(m_detector, *this, [this](const HeardClap& heard) {
        if (heard.isDouble) {
            emit doubleClapHeard(heard.at.time_since_epoch().count());
            m_sleepFlow.handleDoubleClap();
        } else if (m_isClapTestActive) {
            setTestClapCount(m_testClapCount + 1);
        }
    });

    m_listening.start();

    if (!m_hasCompletedOnboarding)
        m_services.timers.singleShot(setupAssistantDelay, this,
                                     [this] { emit setupAssistantRequested(SetupPage::welcome); });
}

AppState::~AppState() {
    // The capture thread feeds our detector: it must be gone before the detector is.
    if (m_services.audioInput.isRunning())
        m_services.audioInput.stop();
}

void AppState::write(const char* key, const QVariant& value) {
    // A failed write is reported by the store itself; the setting keeps its new value.
    m_services.store.setValue(QLatin1String(key), value);
}

void AppState::setIsEnabled(bool value) {
    m_isEnabled = value;
    emit isEnabledChanged();
    write(keys::enabled, value);
    m_listening.updateListening();
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
    m_listening.updateListening();
}

void AppState::setScheduleWindows(const ScheduleWindows& value) {
    m_scheduleWindows = value;
    emit scheduleWindowsChanged();
    write(keys::scheduleWindows, encodeScheduleWindows(value));
    m_listening.updateListening();
}

void AppState::setMicStatus(MicStatus value) {
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
    return minuteOfDay(m_services.clock.now().toLocalTime().time());
}

QString AppState::timeString(qint64 minute) const {
    static const QLocale locale = QLocale::system();
    return locale.toString(timeOfMinute(minute), QLocale::ShortFormat);
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
    return m_micStatus == MicStatus::denied || m_micStatus == MicStatus::restricted;
}

QString AppState::statusLine() const {
    if (micDenied())
        return tr("Microphone access needed");
    if (m_micStatus == MicStatus::notDetermined && !m_hasCompletedOnboarding)
        return tr("Run the Setup Assistant to start");
    if (!m_isEnabled)
        return tr("Paused");
    if (m_scheduleEnabled && !scheduleAllowsListening()) {
        const std::optional<qint64> next = nextListeningStartMinutes();
        if (!next)
            return tr("Off schedule — no hours set");
        return tr("Off schedule — resumes at %1").arg(timeString(*next));
    }
    if (m_detectorRunning)
        return tr("Listening for 👏👏");
    return tr("Starting microphone…");
}

void AppState::beginClapTest() {
    setIsClapTestActive(true);
    setTestClapCount(0);
    setTestDoubleClapCount(0);
    m_listening.updateListening();
}

void AppState::endClapTest() {
    if (!m_isClapTestActive)
        return;
    setIsClapTestActive(false);
    m_listening.updateListening();
}

void AppState::onboardingClosed() {
    endClapTest();
    if (!m_hasCompletedOnboarding) {
        setHasCompletedOnboarding(true);
        write(keys::hasCompletedOnboarding, true);
    }
    m_listening.updateListening();
}

void AppState::updateLoginItem() {
    const std::optional<QString> error = m_services.loginItem.setEnabled(m_launchAtLogin);
    if (!error)
        return;
    m_services.log.write(QStringLiteral("Lullwick: login item change failed: ") + *error);
    // Goes through the same change check: at most one more attempt, then the chain ends.
    setLaunchAtLogin(m_services.loginItem.isEnabled());
}

} // namespace lullwick

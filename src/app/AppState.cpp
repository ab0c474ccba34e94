#include "AppState.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

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

} // namespace

AppState::AppState(AppServices services, QObject* parent) : QObject(parent), m_services(services) {
    // Published values that never come from the store are set by their initialisers.
    loadSettings();
    m_micStatus = m_services.microphone.status();
    m_launchAtLogin = m_services.loginItem.isEnabled();
    m_detector.setTuning(tuningFor(m_sensitivity));

    const QPointer<AppState> self(this);
    m_detector.setOnClap([self] {
        postToState(self, [](AppState& state) {
            if (state.m_isClapTestActive)
                state.setTestClapCount(state.m_testClapCount + 1);
        });
    });

    updateListening();

    if (!m_hasCompletedOnboarding)
        QTimer::singleShot(setupAssistantDelayMs, this,
                           [this] { emit setupAssistantRequested(0); });
}

AppState::~AppState() = default;

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

void AppState::updateListening() {
    // Opening and closing the microphone belongs to the listening controller.
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

#pragma once

#include "AppViews.h"
#include "AudioInput.h"
#include "Clock.h"
#include "InhibitorSource.h"
#include "LoginItem.h"
#include "MicrophonePermission.h"
#include "PreferencesStore.h"
#include "SleepAction.h"
#include "SoundPlayer.h"
#include "SystemLog.h"
#include "WakeNotifier.h"
#include "core/ClapDetector.h"
#include "core/ScheduleWindow.h"
#include "core/Settings.h"

#include <QDateTime>
#include <QObject>
#include <QUuid>
#include <optional>

class QTimer;

namespace lullwick {

// The platform services the state object relies on; the caller owns them and keeps them
// alive for as long as the state object.
struct AppServices {
    PreferencesStore& store;
    SystemLog& log;
    MicrophonePermission& microphone;
    LoginItem& loginItem;
    AudioInput& audioInput;
    WakeNotifier& wake;
    Clock& clock;
    SoundPlayer& sounds;
    InhibitorSource& inhibitors;
    SleepAction& sleeper;
};

// The one state object: every setting, the detector, and the decisions on listening and
// sleep. Every assignment to a published property emits its change signal, also when the
// value stays the same, and a stored setting is on disk before the assignment returns.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setIsEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(lullwick::ConfirmationMode confirmationMode READ confirmationMode WRITE
                   setConfirmationMode NOTIFY confirmationModeChanged)
    Q_PROPERTY(lullwick::Sensitivity sensitivity READ sensitivity WRITE setSensitivity NOTIFY
                   sensitivityChanged)
    Q_PROPERTY(
        bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool scheduleEnabled READ scheduleEnabled WRITE setScheduleEnabled NOTIFY
                   scheduleEnabledChanged)
    Q_PROPERTY(lullwick::ScheduleWindows scheduleWindows READ scheduleWindows WRITE
                   setScheduleWindows NOTIFY scheduleWindowsChanged)
    Q_PROPERTY(int micStatus READ micStatus WRITE setMicStatus NOTIFY micStatusChanged)
    Q_PROPERTY(bool detectorRunning READ detectorRunning WRITE setDetectorRunning NOTIFY
                   detectorRunningChanged)
    Q_PROPERTY(bool hasCompletedOnboarding READ hasCompletedOnboarding WRITE
                   setHasCompletedOnboarding NOTIFY hasCompletedOnboardingChanged)
    Q_PROPERTY(bool isClapTestActive READ isClapTestActive WRITE setIsClapTestActive NOTIFY
                   isClapTestActiveChanged)
    Q_PROPERTY(
        qint64 testClapCount READ testClapCount WRITE setTestClapCount NOTIFY testClapCountChanged)
    Q_PROPERTY(qint64 testDoubleClapCount READ testDoubleClapCount WRITE setTestDoubleClapCount
                   NOTIFY testDoubleClapCountChanged)

public:
    // Delay before the setup assistant opens while the setup was never completed.
    static constexpr int setupAssistantDelayMs = 400;
    // How long the good-night card shows before the sleep command.
    static constexpr int goodNightMs = 1400;
    // How often the listening hours are re-evaluated.
    static constexpr int scheduleTimerIntervalMs = 30000;
    // Capture reopens this long after a wake, and after an audio configuration change.
    static constexpr double wakeRestartDelay = 2.0;
    static constexpr double configurationRestartDelay = 0.5;

    AppState(AppServices services, AppViews views, QObject* parent = nullptr);
    ~AppState() override;

    bool isEnabled() const { return m_isEnabled; }
    void setIsEnabled(bool value);
    ConfirmationMode confirmationMode() const { return m_confirmationMode; }
    void setConfirmationMode(ConfirmationMode value);
    Sensitivity sensitivity() const { return m_sensitivity; }
    void setSensitivity(Sensitivity value);
    bool launchAtLogin() const { return m_launchAtLogin; }
    void setLaunchAtLogin(bool value);
    bool scheduleEnabled() const { return m_scheduleEnabled; }
    void setScheduleEnabled(bool value);
    const ScheduleWindows& scheduleWindows() const { return m_scheduleWindows; }
    void setScheduleWindows(const ScheduleWindows& value);
    int micStatus() const { return m_micStatus; }
    void setMicStatus(int value);
    bool detectorRunning() const { return m_detectorRunning; }
    void setDetectorRunning(bool value);
    bool hasCompletedOnboarding() const { return m_hasCompletedOnboarding; }
    void setHasCompletedOnboarding(bool value);
    bool isClapTestActive() const { return m_isClapTestActive; }
    void setIsClapTestActive(bool value);
    qint64 testClapCount() const { return m_testClapCount; }
    void setTestClapCount(qint64 value);
    qint64 testDoubleClapCount() const { return m_testDoubleClapCount; }
    void setTestDoubleClapCount(qint64 value);

    ClapDetector& detector() { return m_detector; }
    bool isSleepPending() const { return m_isSleepPending; }

    // Listening hours. Minutes are minutes of the local day, 0…1439.
    bool scheduleAllowsListening() const;
    std::optional<qint64> nextListeningStartMinutes() const;
    qint64 currentMinutes() const;
    qint64 minutes(const QDateTime& time) const;
    QString timeString(qint64 minute) const;
    QString scheduleWindowDescription() const;
    void addScheduleWindow();
    void removeScheduleWindow(const QUuid& id);

    // Microphone and listening.
    bool micDenied() const;
    QString statusLine() const;
    void requestMicAccess();
    void refreshMicStatus();

    // Practice mode of the setup assistant: capture runs whatever the switch and the hours.
    void beginClapTest();
    void endClapTest();

    // Shows the good-night card and, 1.4 s later, puts the computer to sleep; ignored while
    // a sleep is already on its way.
    void sleepNow();

    // The setup assistant's window has closed.
    void onboardingClosed();

    // What the schedule timer runs on each tick.
    void scheduleTimerFired();

signals:
    void isEnabledChanged();
    void confirmationModeChanged();
    void sensitivityChanged();
    void launchAtLoginChanged();
    void scheduleEnabledChanged();
    void scheduleWindowsChanged();
    void micStatusChanged();
    void detectorRunningChanged();
    void hasCompletedOnboardingChanged();
    void isClapTestActiveChanged();
    void testClapCountChanged();
    void testDoubleClapCountChanged();

    // A double clap reached the GUI thread; heardAt is when the detector reported it
    // (steady clock, nanoseconds).
    void doubleClapHeard(qint64 heardAt);

    // The setup assistant should open at the given page (the views own the window).
    void setupAssistantRequested(int startPage);

private:
    void loadSettings();
    bool readBool(const char* key, bool fallback) const;
    void write(const char* key, const QVariant& value);
    void observeSystem();
    void startScheduleTimer();
    bool shouldListen() const;
    void updateListening();
    void ensureMicAccessAndStart();
    void startDetector();
    void stopDetector();
    void restartIfNeeded(double delaySeconds);
    void updateLoginItem();
    void handleDoubleClap();
    bool isVideoPlaying();

    AppServices m_services;
    AppViews m_views;
    ClapDetector m_detector;

    bool m_isEnabled = defaults::enabled;
    ConfirmationMode m_confirmationMode = defaults::confirmationMode;
    Sensitivity m_sensitivity = defaults::sensitivity;
    bool m_launchAtLogin = false;
    bool m_scheduleEnabled = defaults::scheduleEnabled;
    ScheduleWindows m_scheduleWindows;
    int m_micStatus = MicrophonePermission::notDetermined;
    bool m_detectorRunning = false;
    bool m_hasCompletedOnboarding = defaults::hasCompletedOnboarding;
    bool m_isClapTestActive = false;
    qint64 m_testClapCount = 0;
    qint64 m_testDoubleClapCount = 0;
    bool m_isSleepPending = false;
    QTimer* m_scheduleTimer = nullptr;
};

} // namespace lullwick

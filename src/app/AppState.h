#pragma once

#include "AppServices.h"
#include "AppViews.h"
#include "ListeningController.h"
#include "MicStatus.h"
#include "SetupPage.h"
#include "SleepFlow.h"
#include "core/ClapDetector.h"
#include "core/ScheduleWindow.h"
#include "core/Settings.h"

#include <QDateTime>
#include <QObject>
#include <QUuid>
#include <chrono>
#include <optional>

namespace lullwick {

// The one state object the views observe: every setting, the detector, the status line.
// Every assignment to a published property emits its change signal, also when the value
// stays the same, and a stored setting is on disk before the assignment returns. When to
// listen is the ListeningController's; what a double clap does is the SleepFlow's.
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
    Q_PROPERTY(
        lullwick::MicStatus micStatus READ micStatus WRITE setMicStatus NOTIFY micStatusChanged)
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
    static constexpr std::chrono::milliseconds setupAssistantDelay{400};

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
    MicStatus micStatus() const { return m_micStatus; }
    void setMicStatus(MicStatus value);
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
    bool isSleepPending() const { return m_sleepFlow.isSleepPending(); }

    // Listening hours. Minutes are minutes of the local day, 0…1439.
    bool scheduleAllowsListening() const;
    std::optional<qint64> nextListeningStartMinutes() const;
    qint64 currentMinutes() const;
    QString timeString(qint64 minute) const;
    QString scheduleWindowDescription() const;
    void addScheduleWindow();
    void removeScheduleWindow(const QUuid& id);

    // Microphone and listening.
    bool micDenied() const;
    QString statusLine() const;
    void requestMicAccess() { m_listening.requestMicAccess(); }
    void refreshMicStatus() { m_listening.refreshMicStatus(); }

    // Practice mode of the setup assistant: capture runs whatever the switch and the hours.
    void beginClapTest();
    void endClapTest();

    // Shows the good-night card and, 1.4 s later, puts the computer to sleep; ignored while
    // a sleep is already on its way.
    void sleepNow() { m_sleepFlow.sleepNow(); }

    // The setup assistant's window has closed.
    void onboardingClosed();

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
    void setupAssistantRequested(SetupPage startPage);

private:
    void write(const char* key, const QVariant& value);
    void updateLoginItem();

    AppServices m_services;
    ClapDetector m_detector;

    bool m_isEnabled = defaults::enabled;
    ConfirmationMode m_confirmationMode = defaults::confirmationMode;
    Sensitivity m_sensitivity = defaults::sensitivity;
    bool m_launchAtLogin = false;
    bool m_scheduleEnabled = defaults::scheduleEnabled;
    ScheduleWindows m_scheduleWindows;
    MicStatus m_micStatus = MicStatus::notDetermined;
    bool m_detectorRunning = false;
    bool m_hasCompletedOnboarding = defaults::hasCompletedOnboarding;
    bool m_isClapTestActive = false;
    qint64 m_testClapCount = 0;
    qint64 m_testDoubleClapCount = 0;

    ListeningController m_listening;
    SleepFlow m_sleepFlow;
};

} // namespace lullwick

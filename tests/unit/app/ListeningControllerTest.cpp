// When the microphone opens and closes: permission, switch, listening hours, practice mode,
// wake and device changes, the schedule tick, the status line and the login item. Runs with
// LC_ALL=en_GB.UTF-8 so that times read as 21:00.

#include "support/FakeServices.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>
#include <thread>

using namespace lullwick;

namespace {

ScheduleWindow window(std::int64_t start, std::int64_t end, bool enabled = true) {
    return ScheduleWindow{QUuid::createUuid(), start, end, enabled};
}

const QString listening = QStringLiteral("Listening for \U0001F44F\U0001F44F");
const QString starting = QStringLiteral("Starting microphone\u2026");

} // namespace

class ListeningControllerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;

    FakeServices& fakes() { return *m_fakes; }
    AppState& state() { return *m_state; }

    void store(const char* key, const QVariant& value) {
        m_fakes->store.values.insert(QLatin1String(key), value);
    }
    void completeSetup() { store("hasCompletedOnboarding", true); }
    void setSchedule(const ScheduleWindows& windows, int minute) {
        store("scheduleEnabled", true);
        store("scheduleWindows", encodeScheduleWindows(windows));
        m_fakes->clock.setMinute(minute);
    }
    void create() { m_state = std::make_unique<AppState>(m_fakes->services(), m_fakes->views()); }

private slots:
    void init() { m_fakes = std::make_unique<FakeServices>(); }
    void cleanup() {
        m_state.reset();
        m_fakes.reset();
    }

    // --- permission ---

    void freshInstallWaitsForTheSetupAssistant() {
        fakes().microphone.current = MicrophonePermission::notDetermined;
        create();
        QCOMPARE(state().micStatus(), 0);
        QVERIFY(fakes().microphone.pending.isEmpty());
        QCOMPARE(fakes().audioInput.startCalls, 0);
        QCOMPARE(state().statusLine(), QStringLiteral("Run the Setup Assistant to start"));
        QVERIFY(fakes().store.writes.isEmpty());

        state().onboardingClosed();
        QVERIFY(state().hasCompletedOnboarding());
        QCOMPARE(fakes().store.values.value(QStringLiteral("hasCompletedOnboarding")),
                 QVariant(true));
        QCOMPARE(fakes().microphone.pending.size(), 1);

        fakes().microphone.answer(true);
        QCOMPARE(fakes().audioInput.startCalls, 0); // the reply is applied on the GUI thread
        QTRY_VERIFY(state().detectorRunning());
        QCOMPARE(state().micStatus(), 3);
        QCOMPARE(state().statusLine(), listening);

        fakes().store.writes.clear();
        state().onboardingClosed();
        QVERIFY(!fakes().store.writes.contains(QStringLiteral("hasCompletedOnboarding")));
        QCOMPARE(fakes().audioInput.startCalls, 1);
    }

    void refusalClosesEverythingAndQuietsTheTick() {
        fakes().microphone.current = MicrophonePermission::notDetermined;
        completeSetup();
        create();
        QCOMPARE(fakes().microphone.pending.size(), 1); // asked at start: setup was done

        fakes().microphone.answer(false);
        QTRY_COMPARE(state().micStatus(), 2);
        QVERIFY(state().micDenied());
        QCOMPARE(fakes().audioInput.startCalls, 0);
        QCOMPARE(state().statusLine(), QStringLiteral("Microphone access needed"));

        const int reads = fakes().microphone.statusReads;
        state().scheduleTimerFired();
        QCOMPARE(fakes().microphone.statusReads, reads);
        QCOMPARE(fakes().audioInput.startCalls, 0);
    }

    void replyFromAnotherThreadIsAppliedOnTheGuiThread() {
        fakes().microphone.current = MicrophonePermission::notDetermined;
        completeSetup();
        create();
        QSignalSpy running(&state(), &AppState::detectorRunningChanged);
        std::thread platform([this] { fakes().microphone.answer(true); });
        platform.join();
        QTRY_VERIFY(state().detectorRunning());
        QCOMPARE(running.count(), 1);
    }

    void replyAfterTheStateIsGoneDoesNothing() {
        fakes().microphone.current = MicrophonePermission::notDetermined;
        completeSetup();
        create();
        m_state.reset();
        fakes().microphone.answer(true);
        QCoreApplication::processEvents();
        QCOMPARE(fakes().audioInput.startCalls, 0);
    }

    void deniedOrRestrictedNeverAsksNorStarts_data() {
        QTest::addColumn<int>("status");
        QTest::newRow("restricted") << int(MicrophonePermission::restricted);
        QTest::newRow("denied") << int(MicrophonePermission::denied);
    }
    void deniedOrRestrictedNeverAsksNorStarts() {
        QFETCH(int, status);
        fakes().microphone.current = MicrophonePermission::Status(status);
        completeSetup();
        create();
        QCOMPARE(state().micStatus(), status);
        QVERIFY(state().micDenied());
        QVERIFY(fakes().microphone.pending.isEmpty());
        QCOMPARE(fakes().audioInput.startCalls, 0);
        state().beginClapTest();
        QVERIFY(fakes().microphone.pending.isEmpty());
        QCOMPARE(fakes().audioInput.startCalls, 0);
    }

    void refreshReadsThePermissionButLeavesCaptureAlone() {
        completeSetup();
        create();
        QVERIFY(state().detectorRunning());
        QSignalSpy changed(&state(), &AppState::micStatusChanged);
        state().refreshMicStatus();
        QCOMPARE(changed.count(), 0);

        fakes().microphone.current = MicrophonePermission::denied;
        state().refreshMicStatus();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(state().micStatus(), 2);
        QVERIFY(state().detectorRunning());
        QCOMPARE(fakes().audioInput.stopCalls, 0);
    }

    // --- practice mode ---

    void practiceListensWhileSwitchedOff() {
        store("enabled", false);
        completeSetup();
        create();
        QCOMPARE(fakes().audioInput.startCalls, 0);

        state().beginClapTest();
        QVERIFY(state().detectorRunning());
        QCOMPARE(state().statusLine(), QStringLiteral("Paused"));

        state().endClapTest();
        QVERIFY(!state().detectorRunning());
        QCOMPARE(fakes().audioInput.stopCalls, 1);
    }

    void practiceAsksForThePermissionBeforeSetup() {
        fakes().microphone.current = MicrophonePermission::notDetermined;
        setSchedule({window(1260, 420)}, 720); // outside the hours: practice overrides them
        create();
        QVERIFY(fakes().microphone.pending.isEmpty());

        state().beginClapTest();
        QCOMPARE(fakes().microphone.pending.size(), 1);
        fakes().microphone.answer(true);
        QTRY_VERIFY(state().detectorRunning());

        // Closing the assistant ends practice: the hours apply again.
        state().onboardingClosed();
        QVERIFY(!state().isClapTestActive());
        QVERIFY(!state().detectorRunning());
    }

    // --- wake and device changes ---

    void wakeWhileListeningReopensTwoSecondsLater() {
        completeSetup();
        create();
        QElapsedTimer since;
        since.start();

        fakes().wake.wake();
        QCoreApplication::processEvents();
        QCOMPARE(fakes().goodNight.closes, 1);
        QCOMPARE(fakes().audioInput.stopCalls, 1);
        QVERIFY(!state().detectorRunning());

        QTRY_VERIFY_WITH_TIMEOUT(state().detectorRunning(), 20000);
        QVERIFY2(since.elapsed() >= 2000, qPrintable(QString::number(since.elapsed())));
        QCOMPARE(fakes().audioInput.startCalls, 2);
    }

    void wakeWhileNotListeningSchedulesNoStart() {
        store("enabled", false);
        completeSetup();
        create();
        QSignalSpy running(&state(), &AppState::detectorRunningChanged);

        fakes().wake.wake();
        QCoreApplication::processEvents();
        QCOMPARE(fakes().goodNight.closes, 1);
        QCOMPARE(fakes().audioInput.stopCalls, 0);
        QCOMPARE(running.count(), 0);

        // A start that was never scheduled can only be told apart from a late one once the
        // restart delay has passed.
        QTest::qWait(2500);
        QCOMPARE(fakes().audioInput.startCalls, 0);
    }

    void deviceChangeReopensHalfASecondLater() {
        completeSetup();
        create();
        QElapsedTimer since;
        since.start();
        fakes().audioInput.changeConfiguration();
        QCoreApplication::processEvents();
        QVERIFY(!state().detectorRunning());
        QTRY_VERIFY_WITH_TIMEOUT(state().detectorRunning(), 20000);
        QVERIFY2(since.elapsed() >= 500, qPrintable(QString::number(since.elapsed())));
        QCOMPARE(fakes().audioInput.startCalls, 2);
    }

    void deviceChangeThenSwitchedOffStaysClosed() {
        completeSetup();
        create();
        fakes().audioInput.changeConfiguration();
        QCoreApplication::processEvents();
        state().setIsEnabled(false);
        // The delayed start must have run (and found listening unwanted) before we look.
        QTest::qWait(1500);
        QCOMPARE(fakes().audioInput.startCalls, 1);
        QVERIFY(!state().detectorRunning());
    }

    void pendingRestartsOpenTheMicrophoneOnce() {
        completeSetup();
        create();
        fakes().wake.wake();
        fakes().audioInput.changeConfiguration();
        QCoreApplication::processEvents();
        QVERIFY(!state().detectorRunning());
        QTRY_VERIFY_WITH_TIMEOUT(state().detectorRunning(), 20000);
        // The wake's restart is due 2.0 s after it; it must find capture running.
        QTest::qWait(2500);
        QCOMPARE(fakes().audioInput.startCalls, 2);
        QCOMPARE(fakes().audioInput.stopCalls, 1);
    }

    // --- starting and stopping ---

    void failedStartIsLoggedAndRetriedByTheTick() {
        fakes().audioInput.failures = {DetectorError::noInputDevice()};
        completeSetup();
        create();
        QVERIFY(!state().detectorRunning());
        QCOMPARE(fakes().log.lines,
                 QStringList{QStringLiteral(
                     "Lullwick: could not start audio engine: No microphone input device found.")});
        QCOMPARE(state().statusLine(), starting);

        state().scheduleTimerFired();
        QVERIFY(state().detectorRunning());
        QCOMPARE(fakes().audioInput.startCalls, 2);
        QCOMPARE(fakes().log.lines.size(), 1);
    }

    void tickTouchesNothingWhileNothingChanges_data() {
        QTest::addColumn<int>("minute");
        QTest::newRow("outside the hours, closed") << 720;
        QTest::newRow("inside the hours, open") << 1300;
    }
    void tickTouchesNothingWhileNothingChanges() {
        QFETCH(int, minute);
        completeSetup();
        setSchedule({window(1260, 420)}, minute);
        create();
        const int reads = fakes().store.reads;
        const qsizetype writes = fakes().store.writes.size();
        const int permissionReads = fakes().microphone.statusReads;
        const int starts = fakes().audioInput.startCalls;
        QSignalSpy running(&state(), &AppState::detectorRunningChanged);

        for (int i = 0; i < 20; ++i)
            state().scheduleTimerFired();

        QCOMPARE(fakes().store.reads, reads);
        QCOMPARE(fakes().store.writes.size(), writes);
        QCOMPARE(fakes().microphone.statusReads, permissionReads);
        QCOMPARE(fakes().audioInput.startCalls, starts);
        QCOMPARE(fakes().audioInput.stopCalls, 0);
        QCOMPARE(running.count(), 0);
    }

    void hoursTakeEffectOnTheNextTick() {
        completeSetup();
        setSchedule({window(1260, 420)}, 419);
        create();
        QVERIFY(state().detectorRunning());

        fakes().clock.setMinute(420);
        QVERIFY(state().detectorRunning()); // nothing happens between ticks
        state().scheduleTimerFired();
        QVERIFY(!state().detectorRunning());
        QCOMPARE(state().statusLine(), QStringLiteral("Off schedule \u2014 resumes at 21:00"));

        fakes().clock.setMinute(1260);
        state().scheduleTimerFired();
        QVERIFY(state().detectorRunning());
    }

    void scheduleTimerRepeatsEveryThirtySeconds() {
        create();
        auto* timer = state().findChild<QTimer*>(QStringLiteral("scheduleTimer"));
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QVERIFY(!timer->isSingleShot());
        QCOMPARE(timer->interval(), 30000);
    }

    void runningCaptureIsOnlyAcknowledged() {
        completeSetup();
        create();
        QCOMPARE(fakes().audioInput.startCalls, 1);
        QCOMPARE(fakes().audioInput.lastDetector, &state().detector());
        state().setDetectorRunning(false);
        state().setIsEnabled(true);
        QVERIFY(state().detectorRunning());
        QCOMPARE(fakes().audioInput.startCalls, 1);
    }

    void stoppingWhatIsStoppedAssignsNothing() {
        store("enabled", false);
        completeSetup();
        create();
        QSignalSpy running(&state(), &AppState::detectorRunningChanged);
        state().setIsEnabled(false);
        QCOMPARE(running.count(), 0);
        QCOMPARE(fakes().audioInput.stopCalls, 0);

        // A stream lost behind our back is only marked stopped.
        state().setIsEnabled(true);
        fakes().audioInput.loseStream();
        running.clear();
        state().setIsEnabled(false);
        QCOMPARE(running.count(), 1);
        QVERIFY(!state().detectorRunning());
        QCOMPARE(fakes().audioInput.stopCalls, 0);
    }

    void destroyingTheStateClosesCapture() {
        completeSetup();
        create();
        QVERIFY(fakes().audioInput.isRunning());
        m_state.reset();
        QVERIFY(!fakes().audioInput.isRunning());
    }

    // --- status line ---

    void statusLine_data() {
        QTest::addColumn<int>("permission");
        QTest::addColumn<bool>("setupDone");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("scheduleOn");
        QTest::addColumn<ScheduleWindows>("windows");
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<QString>("text");

        const ScheduleWindows night{window(1260, 420), window(300, 360)};
        const ScheduleWindows none{window(720, 840, false)};
        // The clock stands at 12:00 in every row.
        QTest::newRow("1 denied before everything") << 2 << false << false << true << none << false
                                                    << QStringLiteral("Microphone access needed");
        QTest::newRow("1 restricted") << 1 << true << true << false << night << false
                                      << QStringLiteral("Microphone access needed");
        QTest::newRow("2 never asked, setup not done, paused too")
            << 0 << false << false << true << none << false
            << QStringLiteral("Run the Setup Assistant to start");
        QTest::newRow("3 paused before off schedule")
            << 3 << true << false << true << none << false << QStringLiteral("Paused");
        QTest::newRow("4 off schedule, no enabled window")
            << 3 << true << true << true << none << false
            << QStringLiteral("Off schedule \u2014 no hours set");
        QTest::newRow("5 off schedule, next start")
            << 3 << true << true << true << night << false
            << QStringLiteral("Off schedule \u2014 resumes at 21:00");
        QTest::newRow("6 listening, schedule off")
            << 3 << true << true << false << none << false << listening;
        QTest::newRow("6 listening inside the hours")
            << 3 << true << true << true << ScheduleWindows{window(700, 800)} << false << listening;
        QTest::newRow("7 capture failed") << 3 << true << true << false << none << true << starting;
        QTest::newRow("7 never asked after setup, answer pending")
            << 0 << true << true << false << none << false << starting;
    }
    void statusLine() {
        QFETCH(int, permission);
        QFETCH(bool, setupDone);
        QFETCH(bool, enabled);
        QFETCH(bool, scheduleOn);
        QFETCH(ScheduleWindows, windows);
        QFETCH(bool, startFails);
        QFETCH(QString, text);
        fakes().microphone.current = MicrophonePermission::Status(permission);
        store("hasCompletedOnboarding", setupDone);
        store("enabled", enabled);
        setSchedule(windows, 720);
        store("scheduleEnabled", scheduleOn);
        if (startFails)
            fakes().audioInput.failures = {DetectorError::noInputDevice()};
        create();
        QCOMPARE(state().statusLine(), text);
    }

    // --- launch at login ---

    void loginItemFollowsTheSwitch() {
        fakes().loginItem.enabled = true;
        create();
        QVERIFY(state().launchAtLogin());
        state().setLaunchAtLogin(true);
        QVERIFY(fakes().loginItem.calls.isEmpty());
        state().setLaunchAtLogin(false);
        QCOMPARE(fakes().loginItem.calls, QList<bool>{false});
        QVERIFY(!fakes().loginItem.enabled);
        QVERIFY(fakes().log.lines.isEmpty());
    }

    void refusedLoginItemChangeIsLoggedAndReread_data() {
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QList<bool>>("calls");
        QTest::newRow("refused once")
            << QStringList{QStringLiteral("read-only")} << QList<bool>{true, false};
        QTest::newRow("refused twice")
            << QStringList{QStringLiteral("read-only"), QStringLiteral("gone")}
            << QList<bool>{true, false};
    }
    void refusedLoginItemChangeIsLoggedAndReread() {
        QFETCH(QStringList, failures);
        QFETCH(QList<bool>, calls);
        create();
        fakes().loginItem.failures = failures;
        state().setLaunchAtLogin(true);
        QVERIFY(!state().launchAtLogin());
        QCOMPARE(fakes().loginItem.calls, calls);
        QStringList lines;
        for (const QString& reason : failures)
            lines << QStringLiteral("Lullwick: login item change failed: ") + reason;
        QCOMPARE(fakes().log.lines, lines);
    }
};

QTEST_GUILESS_MAIN(ListeningControllerTest)
#include "ListeningControllerTest.moc"

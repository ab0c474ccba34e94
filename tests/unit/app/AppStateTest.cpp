#include "app/AppState.h"
#include "support/FakeServices.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace lullwick;

class TestAppState : public QObject {
    Q_OBJECT

    FakeServices m_fakes;
    MemoryPreferencesStore& m_store = m_fakes.store;
    FakeSystemLog& m_log = m_fakes.log;
    FakeMicrophonePermission& m_microphone = m_fakes.microphone;
    FakeLoginItem& m_loginItem = m_fakes.loginItem;

    std::unique_ptr<AppState> makeState() {
        return std::make_unique<AppState>(m_fakes.services(), m_fakes.views());
    }

private slots:
    void init() {
        m_store = MemoryPreferencesStore();
        m_log.lines.clear();
        m_microphone = FakeMicrophonePermission();
        m_loginItem = FakeLoginItem();
    }

    void emptyStoreGivesTheDefaultsAndWritesNothing() {
        m_microphone.current = MicrophonePermission::notDetermined;
        const auto state = makeState();
        QCOMPARE(state->isEnabled(), true);
        QCOMPARE(state->confirmationMode(), ConfirmationMode::always);
        QCOMPARE(state->sensitivity(), Sensitivity::medium);
        QCOMPARE(state->scheduleEnabled(), false);
        QCOMPARE(state->hasCompletedOnboarding(), false);
        QCOMPARE(state->launchAtLogin(), false);
        QCOMPARE(state->micStatus(), int(MicrophonePermission::notDetermined));
        QCOMPARE(state->detectorRunning(), false);
        QCOMPARE(state->isClapTestActive(), false);
        QCOMPARE(state->testClapCount(), 0);
        QCOMPARE(state->testDoubleClapCount(), 0);
        QCOMPARE(state->isSleepPending(), false);
        QCOMPARE(state->scheduleWindows().size(), 1);
        const ScheduleWindow legacy = state->scheduleWindows().front();
        QCOMPARE(legacy.startMinutes, 1260);
        QCOMPARE(legacy.endMinutes, 420);
        QVERIFY(legacy.isEnabled);
        QVERIFY(!legacy.id.isNull());
        QCOMPARE(state->detector().tuning(), tuningFor(Sensitivity::medium));
        QVERIFY(m_store.writes.isEmpty());
        QVERIFY(m_loginItem.calls.isEmpty());
    }

    void setupAssistantOpensShortlyAfterStartUntilCompleted() {
        const auto fresh = makeState();
        QSignalSpy requested(fresh.get(), &AppState::setupAssistantRequested);
        QTest::qWait(AppState::setupAssistantDelayMs / 2); // must not come at once
        QCOMPARE(requested.size(), 0);
        QTRY_COMPARE(requested.size(), 1);
        QCOMPARE(requested.front().front().toInt(), 0);

        m_store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        const auto done = makeState();
        QVERIFY(done->hasCompletedOnboarding());
        QSignalSpy none(done.get(), &AppState::setupAssistantRequested);
        QVERIFY(!none.wait(AppState::setupAssistantDelayMs * 3));
    }

    void setupAssistantIsNotRequestedOnceTheStateIsGone() {
        QObject watcher;
        int requests = 0;
        {
            const auto state = makeState();
            connect(state.get(), &AppState::setupAssistantRequested, &watcher,
                    [&requests] { ++requests; });
        }
        QTest::qWait(AppState::setupAssistantDelayMs * 2); // the delay must pass in vain
        QCOMPARE(requests, 0);
    }

    void storedValuesAreReadByTypeAndExactRawValue_data() {
        QTest::addColumn<QVariant>("enabled");
        QTest::addColumn<QVariant>("mode");
        QTest::addColumn<QVariant>("sensitivity");
        QTest::addColumn<QVariant>("scheduleEnabled");
        QTest::addColumn<bool>("expectEnabled");
        QTest::addColumn<ConfirmationMode>("expectMode");
        QTest::addColumn<Sensitivity>("expectSensitivity");
        QTest::addColumn<bool>("expectScheduleEnabled");
        const auto s = [](const char* text) { return QVariant(QString::fromLatin1(text)); };
        QTest::newRow("stored values")
            << QVariant(false) << s("whenVideoPlaying") << s("high") << QVariant(true) << false
            << ConfirmationMode::whenVideoPlaying << Sensitivity::high << true;
        QTest::newRow("low") << QVariant(true) << s("always") << s("low") << QVariant(false) << true
                             << ConfirmationMode::always << Sensitivity::low << false;
        QTest::newRow("enabled as a string")
            << s("false") << s("x") << s("HIGH") << s("true") << true << ConfirmationMode::always
            << Sensitivity::medium << false;
        QTest::newRow("wrong case and types")
            << QVariant(qint64(0)) << s("WhenVideoPlaying") << QVariant(qint64(2))
            << QVariant(qint64(1)) << true << ConfirmationMode::always << Sensitivity::medium
            << false;
        QTest::newRow("binary data")
            << QVariant(QByteArray("\x01")) << QVariant(QByteArray("always"))
            << QVariant(QByteArray("low")) << QVariant(QByteArray()) << true
            << ConfirmationMode::always << Sensitivity::medium << false;
    }
    void storedValuesAreReadByTypeAndExactRawValue() {
        QFETCH(QVariant, enabled);
        QFETCH(QVariant, mode);
        QFETCH(QVariant, sensitivity);
        QFETCH(QVariant, scheduleEnabled);
        m_store.values = {{QStringLiteral("enabled"), enabled},
                          {QStringLiteral("confirmationMode"), mode},
                          {QStringLiteral("sensitivity"), sensitivity},
                          {QStringLiteral("scheduleEnabled"), scheduleEnabled}};
        const auto state = makeState();
        QTEST(state->isEnabled(), "expectEnabled");
        QTEST(state->confirmationMode(), "expectMode");
        QTEST(state->sensitivity(), "expectSensitivity");
        QTEST(state->scheduleEnabled(), "expectScheduleEnabled");
        QFETCH(Sensitivity, expectSensitivity);
        QCOMPARE(state->detector().tuning(), tuningFor(expectSensitivity));
        QVERIFY(m_store.writes.isEmpty());
    }

    void scheduleWindowsComeFromTheStoreOrTheLegacyKeys() {
        const QUuid id = QUuid::createUuid();
        const ScheduleWindows stored{{id, 600, 660, false}};
        m_store.values = {{QStringLiteral("scheduleWindows"), encodeScheduleWindows(stored)},
                          {QStringLiteral("scheduleStartMinutes"), qint64(1)}};
        QCOMPARE(makeState()->scheduleWindows(), stored);

        // An empty array is a valid list: the legacy keys are not consulted.
        m_store.values.insert(QStringLiteral("scheduleWindows"), QByteArray("[]"));
        QVERIFY(makeState()->scheduleWindows().isEmpty());

        // One member missing: the whole list is ignored for the legacy window.
        m_store.values = {
            {QStringLiteral("scheduleWindows"),
             QByteArray("[{\"id\":\"3F2504E0-4F89-11D3-9A0C-0305E82C3301\",\"startMinutes\":1,"
                        "\"endMinutes\":2}]")},
            {QStringLiteral("scheduleStartMinutes"), qint64(1320)},
            {QStringLiteral("scheduleEndMinutes"), qint64(360)}};
        ScheduleWindows windows = makeState()->scheduleWindows();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0].startMinutes, 1320);
        QCOMPARE(windows[0].endMinutes, 360);
        QVERIFY(windows[0].isEnabled);

        // JSON text stored as a string is not binary data; legacy strings are not integers.
        m_store.values = {{QStringLiteral("scheduleWindows"), QStringLiteral("[]")},
                          {QStringLiteral("scheduleStartMinutes"), QStringLiteral("1320")},
                          {QStringLiteral("scheduleEndMinutes"), true}};
        windows = makeState()->scheduleWindows();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0].startMinutes, 1260);
        QCOMPARE(windows[0].endMinutes, 420);
        QVERIFY(m_store.writes.isEmpty());
    }

    void everyAssignmentNotifiesAndWritesEvenWhenUnchanged() {
        const auto state = makeState();
        QSignalSpy enabled(state.get(), &AppState::isEnabledChanged);
        state->setIsEnabled(true);
        state->setIsEnabled(true);
        QCOMPARE(enabled.size(), 2);
        QCOMPARE(m_store.writes,
                 QStringList({QStringLiteral("enabled"), QStringLiteral("enabled")}));
        QCOMPARE(m_store.values.value(QStringLiteral("enabled")), QVariant(true));

        QSignalSpy mode(state.get(), &AppState::confirmationModeChanged);
        state->setConfirmationMode(ConfirmationMode::whenVideoPlaying);
        QCOMPARE(mode.size(), 1);
        QCOMPARE(m_store.values.value(QStringLiteral("confirmationMode")),
                 QVariant(QStringLiteral("whenVideoPlaying")));

        QSignalSpy schedule(state.get(), &AppState::scheduleEnabledChanged);
        state->setScheduleEnabled(false);
        QCOMPARE(schedule.size(), 1);
        QCOMPARE(m_store.values.value(QStringLiteral("scheduleEnabled")), QVariant(false));

        QSignalSpy running(state.get(), &AppState::detectorRunningChanged);
        QSignalSpy clapCount(state.get(), &AppState::testClapCountChanged);
        state->setDetectorRunning(false);
        state->setTestClapCount(0);
        QCOMPARE(running.size(), 1);
        QCOMPARE(clapCount.size(), 1);
        // Values that are not settings never reach the store.
        QCOMPARE(m_store.writes.size(), 4);
    }

    void scheduleWindowsAreWrittenAsTheirJson() {
        const auto state = makeState();
        QSignalSpy changed(state.get(), &AppState::scheduleWindowsChanged);
        const ScheduleWindows windows{{QUuid::createUuid(), 0, 0, true},
                                      {QUuid::createUuid(), 1439, 5, false}};
        state->setScheduleWindows(windows);
        QCOMPARE(changed.size(), 1);
        const QVariant stored = m_store.values.value(QStringLiteral("scheduleWindows"));
        QCOMPARE(stored.metaType().id(), int(QMetaType::QByteArray));
        QCOMPARE(decodeScheduleWindows(stored.toByteArray()), std::optional(windows));
        // The next start sees exactly what was assigned.
        QCOMPARE(makeState()->scheduleWindows(), windows);
    }

    void sensitivityRetunesTheDetectorAtOnceWithoutResettingIt() {
        const auto state = makeState();
        state->detector().process(std::vector<float>(1024, 0.0f), 1.0);
        const float floor = state->detector().noiseFloor();
        state->setSensitivity(Sensitivity::low);
        QCOMPARE(state->detector().tuning(), tuningFor(Sensitivity::low));
        QCOMPARE(state->detector().noiseFloor(), floor);
        QCOMPARE(m_store.values.value(QStringLiteral("sensitivity")),
                 QVariant(QStringLiteral("low")));
        state->setSensitivity(Sensitivity::high);
        QCOMPARE(state->detector().tuning(), tuningFor(Sensitivity::high));
    }

    void aRefusalThatLeavesTheSystemChangedTriesOnceMore() {
        m_loginItem.enabled = true;
        const auto state = makeState();
        m_loginItem.failures = {QStringLiteral("busy"), QStringLiteral("busy")};
        // Unregistering fails while the entry stays; re-reading gives true, which differs
        // from false, so the system is asked once more for true, which fails too: the end.
        state->setLaunchAtLogin(false);
        QCOMPARE(m_loginItem.calls, (QList<bool>{false, true}));
        QCOMPARE(m_log.lines.size(), 2);
        QCOMPARE(state->launchAtLogin(), true);
    }

    void clapsAreCountedOnTheGuiThreadOnlyDuringTheTest() {
        const auto state = makeState();
        const std::vector<float> click = [] {
            std::vector<float> b(1024, 0.0f);
            b[10] = 0.5f;
            return b;
        }();
        state->detector().reset();
        state->detector().process(click, 10.0);
        QCoreApplication::processEvents();
        QCOMPARE(state->testClapCount(), 0);

        state->setIsClapTestActive(true);
        QSignalSpy counted(state.get(), &AppState::testClapCountChanged);
        std::thread audio([&] { state->detector().process(click, 11.0); });
        audio.join();
        QCOMPARE(state->testClapCount(), 0); // posted, not run on the audio thread
        QTRY_COMPARE(state->testClapCount(), 1);
        QCOMPARE(counted.size(), 1);
    }

    void eventsPostedAfterTheStateIsGoneAreDropped() {
        auto state = makeState();
        state->setIsClapTestActive(true);
        std::vector<float> click(1024, 0.0f);
        click[10] = 0.5f;
        state->detector().process(click, 10.0); // posts a task holding a weak reference
        state.reset();
        QCoreApplication::processEvents(); // the task runs and must find nothing
        QVERIFY(!state);
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "AppStateTest.moc"

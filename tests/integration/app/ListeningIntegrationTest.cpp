// The listening controller against the real servers: capture through a private PulseAudio,
// wake notices from a logind stand-in on a private system bus, the real schedule timer.
// Whether the microphone is open is read from the sound server itself.

#include "app/AppState.h"
#include "platform/DesktopMicrophonePermission.h"
#include "platform/LogindWakeNotifier.h"
#include "platform/PulseAudioInput.h"
#include "platform/XdgAutostartLoginItem.h"
#include "support/FakeClock.h"
#include "support/FakeConfirmationPanel.h"
#include "support/FakeGoodNightPanel.h"
#include "support/FakeInhibitorSource.h"
#include "support/FakeSleepAction.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeSystemLog.h"
#include "support/LogindMock.h"
#include "support/MemoryPreferencesStore.h"
#include "support/SoundServer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace lullwick;

namespace {

constexpr int serverTimeoutMs = 30000;

// Capture streams open on the test microphone.
int microphoneStreams() {
    return int(test::SoundServer::captureStreams().values().count(test::SoundServer::microphone()));
}

ScheduleWindow window(std::int64_t start, std::int64_t end) {
    return ScheduleWindow{QUuid::createUuid(), start, end, true};
}

} // namespace

class ListeningIntegrationTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    MemoryPreferencesStore m_store;
    FakeSystemLog m_log;
    DesktopMicrophonePermission m_microphone;
    std::unique_ptr<XdgAutostartLoginItem> m_loginItem;
    FakeClock m_clock;
    FakeSoundPlayer m_sounds;
    FakeInhibitorSource m_inhibitors;
    FakeSleepAction m_sleeper;
    FakeConfirmationPanel m_confirmation;
    FakeGoodNightPanel m_goodNight;

    AppServices services(AudioInput& audioInput, WakeNotifier& wake) {
        return AppServices{m_store, m_log,   m_microphone, *m_loginItem, audioInput,
                           wake,    m_clock, m_sounds,     m_inhibitors, m_sleeper};
    }
    AppViews views() { return AppViews{m_confirmation, m_goodNight}; }

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS"),
                 "run through scripts/with-dbus");
        QVERIFY2(qEnvironmentVariableIsSet("LULLWICK_TEST_SOURCE"),
                 "run through scripts/with-sound-server");
        QVERIFY(m_config.isValid());
        m_loginItem = std::make_unique<XdgAutostartLoginItem>(
            m_config.path() + QStringLiteral("/autostart/lullwick.desktop"));
        m_store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        QCOMPARE(microphoneStreams(), 0);
    }

    void init() {
        m_log.lines.clear();
        m_store.values.remove(QStringLiteral("scheduleEnabled"));
        m_store.values.remove(QStringLiteral("scheduleWindows"));
        m_clock.setMinute(720);
    }

    void cleanup() { QTRY_COMPARE_WITH_TIMEOUT(microphoneStreams(), 0, serverTimeoutMs); }

    void wakeClosesAtOnceAndReopensTwoSecondsLater() {
        LogindMock logind;
        QVERIFY(logind.waitUntilReady());
        PulseAudioInput audioInput;
        LogindWakeNotifier wake;
        AppState state(services(audioInput, wake), views());
        QTRY_COMPARE_WITH_TIMEOUT(microphoneStreams(), 1, serverTimeoutMs);
        QVERIFY(state.detectorRunning());
        QTRY_VERIFY_WITH_TIMEOUT(wake.isAttached(), serverTimeoutMs);

        QElapsedTimer clock;
        clock.start();
        qint64 closedAt = -1;
        qint64 openedAt = -1;
        connect(&state, &AppState::detectorRunningChanged, this,
                [&] { (state.detectorRunning() ? openedAt : closedAt) = clock.elapsed(); });

        // Going to sleep is not observed: only the wake restarts capture.
        QVERIFY(logind.prepareForSleep(true));
        QVERIFY(logind.prepareForSleep(false));
        QTRY_VERIFY_WITH_TIMEOUT(closedAt >= 0, serverTimeoutMs);
        QVERIFY(!state.detectorRunning());
        QTRY_COMPARE_WITH_TIMEOUT(microphoneStreams(), 0, serverTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(openedAt >= 0, serverTimeoutMs);
        QVERIFY2(openedAt - closedAt >= 2000,
                 qPrintable(QStringLiteral("reopened after %1 ms").arg(openedAt - closedAt)));
        QTRY_COMPARE_WITH_TIMEOUT(microphoneStreams(), 1, serverTimeoutMs);
        QVERIFY(m_log.lines.isEmpty());
    }

    void endOfTheOnlyWindowClosesTheMicrophoneOnTheNextTick() {
        m_store.values.insert(QStringLiteral("scheduleEnabled"), true);
        m_store.values.insert(QStringLiteral("scheduleWindows"),
                              encodeScheduleWindows({window(1260, 420)}));
        m_clock.setMinute(419);
        PulseAudioInput audioInput;
        LogindWakeNotifier wake; // no logind on the bus: runs on without wake notices
        QElapsedTimer sinceStart;
        sinceStart.start();
        AppState state(services(audioInput, wake), views());
        QTRY_COMPARE_WITH_TIMEOUT(microphoneStreams(), 1, serverTimeoutMs);

        m_clock.setMinute(420);
        // The schedule timer ticks 30 s after start; give a loaded machine room beyond that.
        QTRY_COMPARE_WITH_TIMEOUT(microphoneStreams(), 0,
                                  AppState::scheduleTimerIntervalMs + serverTimeoutMs);
        QVERIFY(!state.detectorRunning());
        // Closed by the tick, not by anything earlier.
        QVERIFY2(sinceStart.elapsed() >= AppState::scheduleTimerIntervalMs * 9 / 10,
                 qPrintable(QString::number(sinceStart.elapsed())));
        QCOMPARE(state.statusLine(), QStringLiteral("Off schedule \u2014 resumes at 21:00"));
        QVERIFY(m_log.lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ListeningIntegrationTest)
#include "ListeningIntegrationTest.moc"

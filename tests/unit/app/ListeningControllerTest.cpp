// When the microphone opens and closes: permission, wake and device changes, the schedule
// tick, and the status line. Runs with LC_ALL=en_GB.UTF-8 so that times read as 21:00.

#include "StateFixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class ListeningControllerTest : public QObject {
    Q_OBJECT

    StateFixture m_f;

private slots:
    void init() { m_f.reset(); }

    void permission_data() {
        QTest::addColumn<Given>("given");
        QTest::addColumn<int>("asks");
        QTest::addColumn<int>("answer"); // -1: none; else granted or not, from another thread
        QTest::addColumn<int>("starts");
        const auto never = MicStatus::notDetermined;
        // clang-format off
        QTest::newRow("never asked, before setup") << Given{.mic = never, .setupDone = false} << 0 << -1 << 0;
        QTest::newRow("granted") << Given{.mic = never} << 1 << 1 << 1;
        QTest::newRow("refused") << Given{.mic = never} << 1 << 0 << 0;
        QTest::newRow("practice before setup") << Given{.mic = never, .setupDone = false, .enabled = false, .practice = true} << 1 << -1 << 0;
        QTest::newRow("authorized, before setup") << Given{.setupDone = false} << 0 << -1 << 1;
        QTest::newRow("denied, practice") << Given{.mic = MicStatus::denied, .practice = true} << 0 << -1 << 0;
        // clang-format on
    }
    void permission() {
        QFETCH(Given, given);
        QFETCH(int, answer);
        AppState& state = m_f.create(given);
        QTEST(int(m_f.fakes->microphone.pending.size()), "asks");
        if (answer >= 0) {
            std::thread([&] { m_f.fakes->microphone.answer(answer == 1); }).join();
            QCOMPARE(m_f.fakes->audioInput.startCalls, 0); // applied on the GUI thread only
            QCoreApplication::processEvents();
        }
        QTEST(m_f.fakes->audioInput.startCalls, "starts");
        QCOMPARE(state.micStatus(), m_f.fakes->microphone.current);
    }

    // Notices close capture at once and reopen it after their delay if it is still wanted
    // then; the tick applies the hours, retries a failed start, and reads nothing while
    // nothing is to change.
    void timing_data() {
        QTest::addColumn<Given>("given");
        QTest::addColumn<QString>("events"); // then the clock moves on by minutes
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("before"); // capture 1 ms before the delay is over
        QTest::addColumn<bool>("after");
        // clang-format off
        QTest::newRow("wake") << Given{} << "wake" << 0 << 2000 << false << true;
        QTest::newRow("device change") << Given{} << "device" << 0 << 500 << false << true;
        QTest::newRow("wake, device change") << Given{} << "wake device" << 0 << 500 << false << true;
        QTest::newRow("wake, not listening") << Given{.enabled = false} << "wake" << 0 << 2000 << false << false;
        QTest::newRow("device change, switched off") << Given{} << "device off" << 0 << 500 << false << false;
        QTest::newRow("tick: hours end") << Given{.hours = night(), .minute = 419} << "" << 1 << 30000 << true << false;
        QTest::newRow("tick: hours begin") << Given{.hours = night()} << "" << 540 << 30000 << false << true;
        QTest::newRow("tick: failed start") << Given{.startFails = 1} << "" << 0 << 30000 << false << true;
        QTest::newRow("no microphone, one comes") << Given{.startFails = 1} << "device" << 0 << 500 << false << true;
        QTest::newRow("no server, retried") << Given{.startFails = 1, .noServer = true} << "" << 0 << 250 << false << true;
        QTest::newRow("tick: stays closed") << Given{.hours = night()} << "" << 0 << 30000 << false << false;
        QTest::newRow("tick: denied") << Given{.mic = MicStatus::denied, .hours = night(), .minute = 1300} << "" << 0 << 30000 << false << false;
        // clang-format on
    }
    void timing() {
        QFETCH(Given, given);
        QFETCH(QString, events);
        QFETCH(int, minutes);
        QFETCH(int, delay);
        QFETCH(bool, before);
        QFETCH(bool, after);
        AppState& state = m_f.create(given);
        FakeServices& fakes = *m_f.fakes;
        fakes.goodNight.show();
        for (const QString& event : events.split(u' ', Qt::SkipEmptyParts)) {
            if (event == "off")
                state.setIsEnabled(false);
            else
                event == "wake" ? fakes.wake.wake() : fakes.audioInput.changeConfiguration();
            QCoreApplication::processEvents();
        }
        QCOMPARE(fakes.goodNight.showing, events.isEmpty()); // a notice takes the card away
        fakes.clock.setMinute(given.minute + minutes);
        const int reads = fakes.store.reads + fakes.microphone.statusReads;
        const int starts = fakes.audioInput.startCalls;
        fakes.timers.advance(std::chrono::milliseconds(delay - 1));
        QCOMPARE(state.detectorRunning(), before);
        fakes.timers.advance(1ms);
        QCOMPARE(state.detectorRunning(), after);
        fakes.timers.advance(1h); // later ticks and pending restarts change nothing more
        QCOMPARE(fakes.audioInput.startCalls - starts, after && !before ? 1 : 0);
        if (before == after)
            QCOMPARE(fakes.store.reads + fakes.microphone.statusReads, reads);
    }

    // While no microphone can be opened: a server is watched and nothing is retried; with no
    // server, starts are retried ever less often, at most once a second, and logged once.
    void waitsForAMicrophone_data() {
        QTest::addColumn<Given>("given");
        QTest::addColumn<bool>("switchOff");
        QTest::addColumn<bool>("watching");
        QTest::addColumn<QString>("retries"); // ms at which starts follow in the next 5 s
        const Given none{.startFails = 99};
        const Given noServer{.startFails = 99, .noServer = true};
        // clang-format off
        QTest::newRow("server watched") << none << false << true << "";
        QTest::newRow("no server") << noServer << false << false << "250 750 1750 2750 3750 4750";
        QTest::newRow("watched, switched off") << none << true << false << "";
        QTest::newRow("no server, switched off") << noServer << true << false << "";
        // clang-format on
    }
    void waitsForAMicrophone() {
        QFETCH(Given, given);
        QFETCH(bool, switchOff);
        AppState& state = m_f.create(given);
        FakeAudioInput& input = m_f.fakes->audioInput;
        if (switchOff)
            state.setIsEnabled(false);
        QTEST(input.watching, "watching");
        QStringList retries;
        for (int starts = input.startCalls; m_f.fakes->timers.now() < 5s;
             starts = input.startCalls) {
            m_f.fakes->timers.advance(50ms);
            if (input.startCalls != starts)
                retries << QString::number(m_f.fakes->timers.now().count());
        }
        QTEST(retries.join(u' '), "retries");
        QCOMPARE(m_f.fakes->log.lines.size(), 1);
    }

    void captureAndItsFlagStayInStep() {
        AppState& state = m_f.create();
        m_f.fakes->audioInput.loseStream(); // behind our back: only marked stopped
        state.setIsEnabled(false);
        QSignalSpy running(&state, &AppState::detectorRunningChanged);
        state.setIsEnabled(false); // stopped twice: nothing assigned
        QCOMPARE(running.size(), 0);
        QCOMPARE(m_f.fakes->audioInput.stopCalls, 0);
    }

    void statusLine_data() {
        QTest::addColumn<Given>("given");
        QTest::addColumn<QString>("text");
        const auto never = MicStatus::notDetermined;
        const ScheduleWindows none{{QUuid::createUuid(), 720, 840, false}};
        const ScheduleWindows two{night().first(), {QUuid::createUuid(), 300, 360, true}};
        // clang-format off
        QTest::newRow("1 denied") << Given{.mic = MicStatus::denied, .setupDone = false, .enabled = false, .hours = none} << "Microphone access needed";
        QTest::newRow("1 restricted") << Given{.mic = MicStatus::restricted} << "Microphone access needed";
        QTest::newRow("2 before setup") << Given{.mic = never, .setupDone = false, .enabled = false, .hours = none} << "Run the Setup Assistant to start";
        QTest::newRow("3 paused") << Given{.enabled = false, .hours = none} << "Paused";
        QTest::newRow("3 paused while practising") << Given{.enabled = false, .practice = true} << "Paused";
        QTest::newRow("4 no hours") << Given{.hours = none} << "Off schedule \u2014 no hours set";
        QTest::newRow("5 resumes") << Given{.hours = two} << "Off schedule \u2014 resumes at 21:00";
        QTest::newRow("6 listening") << Given{} << "Listening for \U0001F44F\U0001F44F";
        QTest::newRow("7 capture failed") << Given{.startFails = 1} << "Starting microphone\u2026";
        // clang-format on
    }
    void statusLine() {
        QFETCH(Given, given);
        QTEST(m_f.create(given).statusLine(), "text");
        const QString failed =
            u"Lullwick: could not start audio engine: No microphone input device found."_s;
        QCOMPARE(m_f.fakes->log.lines, given.startFails ? QStringList{failed} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(ListeningControllerTest)
#include "ListeningControllerTest.moc"

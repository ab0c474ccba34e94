// When the microphone opens and closes: permission, wake and device changes, the schedule
// tick, and the status line. Runs with LC_ALL=en_GB.UTF-8 so that times read as 21:00.

#include "StateFixture.h"

#include <QSignalSpy>
#include <QTest>

// clang-format off
// answer -1: none; else granted or not, from another thread. The status line is read once it is in.
struct Permission { Given given; int asks; int answer; int starts; QString status; };
// Notices, then the clock moves on by minutes; capture 1 ms before and when the delay is over.
struct Timing { Given given; QString events; int minutes; int delay; bool before; bool after; };
// clang-format on
Q_DECLARE_METATYPE(Permission)
Q_DECLARE_METATYPE(Timing)

class ListeningControllerTest : public QObject {
    Q_OBJECT

    StateFixture m_f;

private slots:
    void init() { m_f.reset(); }

    void permissionAndStatusLine_data() {
        QTest::addColumn<Permission>("p");
        const ScheduleWindows none{{QUuid::createUuid(), 720, 840, false}};
        // clang-format off
        QTest::newRow("never asked, before setup") << Permission{Given{.mic = MicStatus::notDetermined, .setupDone = false}, 0, -1, 0, "Run the Setup Assistant to start"};
        QTest::newRow("granted") << Permission{Given{.mic = MicStatus::notDetermined}, 1, 1, 1, "Listening for \U0001F44F\U0001F44F"};
        QTest::newRow("refused") << Permission{Given{.mic = MicStatus::notDetermined}, 1, 0, 0, "Microphone access needed"};
        QTest::newRow("practice before setup") << Permission{Given{.mic = MicStatus::notDetermined, .setupDone = false, .enabled = false, .hours = none, .practice = true}, 1, -1, 0, "Run the Setup Assistant to start"};
        QTest::newRow("authorized, before setup") << Permission{Given{.setupDone = false}, 0, -1, 1, "Listening for \U0001F44F\U0001F44F"};
        QTest::newRow("restricted") << Permission{Given{.mic = MicStatus::restricted}, 0, -1, 0, "Microphone access needed"};
        QTest::newRow("paused") << Permission{Given{.enabled = false, .hours = none}, 0, -1, 0, "Paused"};
        QTest::newRow("no hours") << Permission{Given{.hours = none}, 0, -1, 0, "Off schedule \u2014 no hours set"};
        QTest::newRow("hours resume") << Permission{Given{.hours = {night().first(), {QUuid::createUuid(), 300, 360, true}}}, 0, -1, 0, "Off schedule \u2014 resumes at 21:00"};
        QTest::newRow("capture failed") << Permission{Given{.startFails = 1}, 0, -1, 1, "Starting microphone\u2026"};
        // clang-format on
    }
    void permissionAndStatusLine() {
        QFETCH(Permission, p);
        AppState& state = m_f.create(p.given);
        QCOMPARE(m_f.fakes->microphone.pending.size(), p.asks);
        if (p.answer >= 0) {
            std::thread([&] { m_f.fakes->microphone.answer(p.answer == 1); }).join();
            QCOMPARE(m_f.fakes->audioInput.startCalls, 0); // applied on the GUI thread only
            QCoreApplication::processEvents();
        }
        QCOMPARE(m_f.fakes->audioInput.startCalls, p.starts);
        QCOMPARE(state.micStatus(), m_f.fakes->microphone.current);
        QCOMPARE(state.statusLine(), p.status);
    }

    // Notices close capture at once and reopen it after their delay if it is still wanted
    // then; the tick applies the hours, retries a failed start, and reads nothing while
    // nothing is to change.
    void timing_data() {
        QTest::addColumn<Timing>("t");
        // clang-format off
        QTest::newRow("wake") << Timing{{}, "wake", 0, 2000, false, true};
        QTest::newRow("device change") << Timing{{}, "device", 0, 500, false, true};
        QTest::newRow("wake, device change") << Timing{{}, "wake device", 0, 500, false, true};
        QTest::newRow("device change, switched off") << Timing{{}, "device off", 0, 500, false, false};
        QTest::newRow("tick: hours end") << Timing{{.hours = night(), .minute = 419}, "", 1, 30000, true, false};
        QTest::newRow("tick: hours begin") << Timing{{.hours = night()}, "", 540, 30000, false, true};
        QTest::newRow("tick: failed start") << Timing{{.startFails = 1}, "", 0, 30000, false, true};
        QTest::newRow("no microphone, one comes") << Timing{{.startFails = 1}, "device", 0, 500, false, true};
        QTest::newRow("tick: stays closed") << Timing{{.hours = night()}, "", 0, 30000, false, false};
        QTest::newRow("tick: denied") << Timing{{.mic = MicStatus::denied, .hours = night(), .minute = 1300}, "", 0, 30000, false, false};
        // clang-format on
    }
    void timing() {
        QFETCH(Timing, t);
        AppState& state = m_f.create(t.given);
        FakeServices& fakes = *m_f.fakes;
        fakes.goodNight.show();
        for (const QString& event : t.events.split(u' ', Qt::SkipEmptyParts)) {
            event == "off"    ? state.setIsEnabled(false)
            : event == "wake" ? fakes.wake.wake()
                              : fakes.audioInput.changeConfiguration();
            QCoreApplication::processEvents();
        }
        QCOMPARE(fakes.goodNight.showing, t.events.isEmpty()); // a notice takes the card away
        fakes.clock.setMinute(t.given.minute + t.minutes);
        const int reads = fakes.store.reads + fakes.microphone.statusReads;
        const int starts = fakes.audioInput.startCalls;
        fakes.timers.advance(std::chrono::milliseconds(t.delay - 1));
        QCOMPARE(state.detectorRunning(), t.before);
        fakes.timers.advance(1ms);
        QCOMPARE(state.detectorRunning(), t.after);
        fakes.timers.advance(1h); // later ticks and pending restarts change nothing more
        QCOMPARE(fakes.audioInput.startCalls - starts, t.after && !t.before ? 1 : 0);
        if (t.before == t.after)
            QCOMPARE(fakes.store.reads + fakes.microphone.statusReads, reads);
    }

    // While no microphone can be opened: a server is watched and nothing is retried; with no
    // server, starts are retried ever less often, at most once a second, and logged once.
    void waitsForAMicrophone_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<bool>("switchOff");
        QTest::addColumn<QString>("retries"); // ms at which starts follow in the next 5 s
        // clang-format off
        QTest::newRow("server watched") << true << false << "";
        QTest::newRow("no server") << false << false << "250 750 1750 2750 3750 4750";
        QTest::newRow("watched, switched off") << true << true << "";
        // clang-format on
    }
    void waitsForAMicrophone() {
        QFETCH(bool, server);
        QFETCH(bool, switchOff);
        AppState& state = m_f.create({.startFails = 99, .noServer = !server});
        FakeAudioInput& input = m_f.fakes->audioInput;
        if (switchOff)
            state.setIsEnabled(false);
        QCOMPARE(input.watching, server && !switchOff); // a server is watched while listening is on
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
        QVERIFY(running.isEmpty() && m_f.fakes->audioInput.stopCalls == 0);
    }
};

QTEST_GUILESS_MAIN(ListeningControllerTest)
#include "ListeningControllerTest.moc"

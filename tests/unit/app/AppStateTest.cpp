// The state object and its parts: the settings read at start and what each assignment does;
// when the microphone opens and closes (permission, wake and device changes, the schedule tick,
// the status line); what a double clap leads to, the good-night card before the sleep command,
// and the practice mode. Runs with LC_ALL=en_GB.UTF-8 and TZ=Europe/Berlin: times read 21:00.

#include "support/StateFixture.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// clang-format off
// answer -1: none; else granted or not, from another thread. The status line is read once it is in.
struct Permission { Given given; int asks; int answer; int starts; QString status; };
// Notices, then the clock moves on by minutes; capture 1 ms before and when the delay is over.
struct Timing { Given given; QString events; int minutes; int delay; bool before; bool after; };
// clang-format on
Q_DECLARE_METATYPE(Permission)
Q_DECLARE_METATYPE(Timing)

class AppStateTest : public QObject {
    Q_OBJECT

    StateFixture m_f;

    // What the double claps led to, by kind.
    QString outcome() const {
        const FakeServices& fakes = *m_f.fakes;
        QStringList what;
        if (fakes.inhibitors.snapshots > 0)
            what << "video check";
        for (SoundPlayer::Sound sound : fakes.sounds.played)
            what << (sound == SoundPlayer::Sound::glass ? "Glass" : "Tink");
        for (bool video : fakes.confirmation.shows)
            what << (video ? "card with video" : "card");
        if (fakes.goodNight.shows > 0)
            what << "good night";
        return what.join(", ");
    }

private slots:
    void init() { m_f.reset(); }

    void loading_data() {
        QTest::addColumn<QVariantHash>("stored");
        QTest::addColumn<QString>("settings");
        const QByteArray noSwitch(
            R"([{"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1,"endMinutes":2}])");
        const QByteArray list = encodeScheduleWindows({window(600, 660, false)});
        const QString defaults = QStringLiteral("on always medium off todo 1260-420");
        // clang-format off
        QTest::newRow("empty") << QVariantHash{} << defaults;
        QTest::newRow("stored") << QVariantHash{{"enabled", false}, {"confirmationMode", u"whenVideoPlaying"_s}, {"sensitivity", u"high"_s},
            {"scheduleEnabled", true}, {"hasCompletedOnboarding", true}, {"scheduleWindows", list}, {"scheduleStartMinutes", qint64(1)}}
            << "off whenVideoPlaying high on done 600-660off";
        QTest::newRow("low, empty list") << QVariantHash{{"sensitivity", u"low"_s}, {"scheduleWindows", QByteArray("[]")}, {"scheduleStartMinutes", qint64(1)}}
            << "on always low off todo ";
        QTest::newRow("other types") << QVariantHash{{"enabled", u"false"_s}, {"confirmationMode", QByteArray("whenVideoPlaying")},
            {"sensitivity", qint64(2)}, {"scheduleEnabled", u"true"_s}, {"hasCompletedOnboarding", qint64(1)},
            {"scheduleWindows", u"[]"_s}, {"scheduleStartMinutes", u"1320"_s}, {"scheduleEndMinutes", true}} << defaults;
        QTest::newRow("letter case") << QVariantHash{{"enabled", qint64(0)}, {"confirmationMode", u"WhenVideoPlaying"_s}, {"sensitivity", u"HIGH"_s}} << defaults;
        QTest::newRow("member missing") << QVariantHash{{"scheduleWindows", noSwitch}, {"scheduleStartMinutes", qint64(1320)}, {"scheduleEndMinutes", qint64(360)}}
            << "on always medium off todo 1320-360";
        // clang-format on
    }
    // Every setting read at start, in one line.
    void loading() {
        QFETCH(QVariantHash, stored);
        m_f.fakes->store.values.insert(stored);
        AppState& s = *(m_f.state = m_f.fakes->makeState());
        const auto raw = [](auto value) { return QString::fromLatin1(rawValue(value).data()); };
        // clang-format off
        QTEST(QStringList({s.isEnabled() ? "on" : "off", raw(s.confirmationMode()), raw(s.sensitivity()), s.scheduleEnabled() ? "on" : "off",
            s.hasCompletedOnboarding() ? "done" : "todo", hours(s.scheduleWindows())}).join(u' '), "settings");
        // clang-format on
        QVERIFY(s.detector().tuning() == tuningFor(s.sensitivity()) &&
                m_f.fakes->store.writes.isEmpty());
    }

    void assignment_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored"); // under the property's name
        QTest::addColumn<bool>("reevaluates");
        const ScheduleWindows list{window(0, 0), window(1439, 5, false)};
        // clang-format off
        QTest::newRow("isEnabled") << QVariant(true) << QVariant(true) << true;
        QTest::newRow("scheduleEnabled") << QVariant(false) << QVariant(false) << true;
        QTest::newRow("scheduleWindows") << QVariant::fromValue(list) << QVariant(encodeScheduleWindows(list)) << true;
        QTest::newRow("confirmationMode") << QVariant::fromValue(ConfirmationMode::whenVideoPlaying) << QVariant(u"whenVideoPlaying"_s) << false;
        QTest::newRow("sensitivity") << QVariant::fromValue(Sensitivity::low) << QVariant(u"low"_s) << false;
        // clang-format on
    }
    void assignment() {
        const QByteArray property = QTest::currentDataTag();
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        AppState& state = m_f.create();
        state.setDetectorRunning(false); // out of step: re-evaluating listening puts it right
        const QMetaObject* meta = state.metaObject();
        QSignalSpy notified(&state, meta->property(meta->indexOfProperty(property)).notifySignal());
        QVERIFY(state.setProperty(property, value) && state.setProperty(property, value));
        QCOMPARE(notified.size(), 2);
        const QString key = QString::fromLatin1(property == "isEnabled" ? "enabled" : property);
        QCOMPARE(m_f.fakes->store.writes, QStringList(2, key));
        QCOMPARE(m_f.fakes->store.values.value(key), stored);
        QTEST(state.detectorRunning(), "reevaluates");
        QCOMPARE(state.detector().tuning(), tuningFor(state.sensitivity()));
    }

    void loginItem_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("assigned");
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QList<bool>>("calls");
        QTest::addColumn<bool>("after");
        const QString no = QStringLiteral("read-only");
        // clang-format off
        QTest::newRow("same") << true << true << QStringList{} << QList<bool>{} << true;
        QTest::newRow("changed") << true << false << QStringList{} << QList<bool>{false} << false;
        QTest::newRow("refused") << false << true << QStringList{no} << QList<bool>{true, false} << false;
        QTest::newRow("refused, unchanged") << true << false << QStringList{no, no} << QList<bool>{false, true} << true;
        // clang-format on
    }
    void loginItem() {
        QFETCH(bool, before);
        QFETCH(bool, assigned);
        QFETCH(QStringList, failures);
        m_f.fakes->loginItem.enabled = before;
        AppState& state = m_f.create();
        m_f.fakes->loginItem.failures = failures;
        state.setLaunchAtLogin(assigned);
        QTEST(m_f.fakes->loginItem.calls, "calls");
        QTEST(state.launchAtLogin(), "after");
        QCOMPARE(m_f.fakes->log.lines,
                 failures.replaceInStrings(QRegularExpression("^"),
                                           "Lullwick: login item change failed: "));
    }

    void setupAssistantOpensAtItsDelayUntilCompleted() {
        AppState& state = m_f.create(Given{.setupDone = false});
        QSignalSpy requested(&state, &AppState::setupAssistantRequested);
        m_f.fakes->timers.advance(399ms);
        QCOMPARE(requested.size(), 0);
        m_f.fakes->timers.advance(1ms);
        QCOMPARE(requested.value(0), QVariantList{QVariant::fromValue(SetupPage::welcome)});
        QSignalSpy done(&m_f.create(), &AppState::setupAssistantRequested);
        m_f.fakes->timers.advance(1h);
        QCOMPARE(requested.size() + done.size(), 1);
    }

    // Whatever was under way when the state object goes finds nothing and does nothing.
    void nothingHappensOnceTheStateIsGone() {
        AppState& state = m_f.create(Given{.setupDone = false});
        m_f.doubleClap(); // the card is up
        state.sleepNow();
        m_f.state.reset();
        QVERIFY(!m_f.fakes->audioInput.isRunning() && m_f.fakes->timers.activeCount() == 0);
        m_f.fakes->confirmation.confirm();
        m_f.fakes->timers.advance(1h);
        QCOMPARE(m_f.fakes->sleeper.calls, 0);
    }

    void permissionAndStatusLine_data() {
        QTest::addColumn<Permission>("p");
        const ScheduleWindows none{window(720, 840, false)};
        // clang-format off
        QTest::newRow("never asked, before setup") << Permission{Given{.mic = MicStatus::notDetermined, .setupDone = false}, 0, -1, 0, "Run the Setup Assistant to start"};
        QTest::newRow("granted") << Permission{Given{.mic = MicStatus::notDetermined}, 1, 1, 1, "Listening for \U0001F44F\U0001F44F"};
        QTest::newRow("refused") << Permission{Given{.mic = MicStatus::notDetermined}, 1, 0, 0, "Microphone access needed"};
        QTest::newRow("practice before setup") << Permission{Given{.mic = MicStatus::notDetermined, .setupDone = false, .enabled = false, .hours = none, .practice = true}, 1, -1, 0, "Run the Setup Assistant to start"};
        QTest::newRow("authorized, before setup") << Permission{Given{.setupDone = false}, 0, -1, 1, "Listening for \U0001F44F\U0001F44F"};
        QTest::newRow("paused") << Permission{Given{.enabled = false, .hours = none}, 0, -1, 0, "Paused"};
        QTest::newRow("no hours") << Permission{Given{.hours = none}, 0, -1, 0, "Off schedule \u2014 no hours set"};
        QTest::newRow("hours resume") << Permission{Given{.hours = {night().first(), window(300, 360)}}, 0, -1, 0, "Off schedule \u2014 resumes at 21:00"};
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

    // Two double claps each: the second finds the card up or the sleep pending, and is dropped.
    void decision_data() {
        QTest::addColumn<Given>("given");
        QTest::addColumn<QString>("outcome");
        // clang-format off
        QTest::newRow("switched off") << Given{.enabled = false, .askAlways = false} << "";
        QTest::newRow("off hours") << Given{.askAlways = false, .hours = night()} << "";
        QTest::newRow("practice, off, off hours")
            << Given{.enabled = false, .askAlways = false, .hours = night(), .practice = true} << "Glass, Glass";
        QTest::newRow("always, no video") << Given{} << "video check, Tink, card";
        QTest::newRow("whenVideoPlaying, no video") << Given{.askAlways = false} << "video check, good night";
        QTest::newRow("whenVideoPlaying, video") << Given{.askAlways = false, .video = true} << "video check, Tink, card with video";
        // clang-format on
    }
    void decision() {
        QFETCH(Given, given);
        m_f.create(given);
        m_f.doubleClap();
        m_f.doubleClap();
        QTEST(outcome(), "outcome");
    }

    void theCardDecidesThenTheGoodNightCardStaysBeforeOneSleep() {
        AppState& state = m_f.create();
        FakeServices& fakes = *m_f.fakes;
        m_f.doubleClap();
        fakes.confirmation.cancel(); // nothing follows, and the flow is idle again
        m_f.doubleClap();
        fakes.confirmation.confirm();
        fakes.timers.advance(1400ms);
        QCOMPARE(outcome(), QStringLiteral("video check, Tink, Tink, card, card, good night"));
        QCOMPARE(fakes.sleeper.calls, 1);

        m_f.doubleClap(); // "Sleep Now" from the menu while the card is up
        state.sleepNow();
        state.sleepNow();
        QVERIFY(!fakes.confirmation.isShowing() && state.isSleepPending() &&
                fakes.goodNight.shows == 2);
        fakes.timers.advance(1399ms);
        QVERIFY(fakes.sleeper.calls == 1 && fakes.goodNight.showing);
        fakes.timers.advance(1ms);
        QVERIFY(fakes.sleeper.calls == 2 && !fakes.goodNight.showing && !state.isSleepPending());
    }

    // Counted on the GUI thread, where the capture thread posts them; whatever the hours say.
    void practiceCountsClapsUntilTheSetupAssistantCloses() {
        AppState& state = m_f.create(Given{.setupDone = false, .hours = night(), .practice = true});
        QStringList order;
        connect(&state, &AppState::testClapCountChanged, this,
                [&] { order << QString::number(state.testClapCount()); });
        connect(&state, &AppState::testDoubleClapCountChanged, this, [&] { order << "double"; });
        m_f.doubleClap(false);
        QVERIFY(state.detectorRunning() && order.isEmpty());
        QCoreApplication::processEvents();
        state.onboardingClosed();
        state.onboardingClosed();
        QVERIFY(!state.isClapTestActive() && !state.detectorRunning());
        QCOMPARE(m_f.fakes->store.writes, QStringList{"hasCompletedOnboarding"}); // once
        m_f.doubleClap();                                                         // counted no more
        QCOMPARE(order, (QStringList{"1", "2", "double"}));
        state.beginClapTest(); // the counters start over
        QCOMPARE(state.testClapCount() + state.testDoubleClapCount(), 0);
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "AppStateTest.moc"

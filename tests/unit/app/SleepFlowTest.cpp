// What a double clap leads to, the good-night card before the sleep command, and the
// practice mode.

#include "StateFixture.h"

#include <QTest>

using namespace lullwick;
using namespace std::chrono_literals;

class SleepFlowTest : public QObject {
    Q_OBJECT

    StateFixture m_f;

    // What the double claps led to, in order.
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

    void decision_data() {
        QTest::addColumn<Given>("given");
        QTest::addColumn<QString>("before"); // a double clap, or "Sleep Now" from the menu
        QTest::addColumn<QString>("outcome");
        const ScheduleWindows night = lullwick::night();
        // clang-format off
        QTest::newRow("switched off") << Given{.enabled = false, .askAlways = false} << "" << "";
        QTest::newRow("off hours") << Given{.askAlways = false, .hours = night} << "" << "";
        QTest::newRow("card up") << Given{} << "clap" << "";
        QTest::newRow("sleep pending") << Given{.askAlways = false} << "sleep" << "";
        QTest::newRow("practice, off, off hours")
            << Given{.enabled = false, .askAlways = false, .hours = night, .practice = true} << "" << "Glass";
        QTest::newRow("always, no video") << Given{} << "" << "video check, Tink, card";
        QTest::newRow("always, video") << Given{.video = true} << "" << "video check, Tink, card with video";
        QTest::newRow("whenVideoPlaying, no video") << Given{.askAlways = false} << "" << "video check, good night";
        QTest::newRow("whenVideoPlaying, video") << Given{.askAlways = false, .video = true} << "" << "video check, Tink, card with video";
        // clang-format on
    }
    void decision() {
        QFETCH(Given, given);
        QFETCH(QString, before);
        AppState& state = m_f.create(given);
        if (before == "clap")
            m_f.doubleClap();
        if (before == "sleep")
            state.sleepNow();
        FakeServices& fakes = *m_f.fakes;
        fakes.inhibitors.snapshots = fakes.goodNight.shows = 0;
        fakes.confirmation.shows.clear();
        fakes.sounds.played.clear();
        m_f.doubleClap();
        QTEST(outcome(), "outcome");
    }

    void theCardDecidesThenTheGoodNightCardStaysBeforeOneSleep() {
        AppState& state = m_f.create();
        FakeServices& fakes = *m_f.fakes;
        m_f.doubleClap();
        fakes.confirmation.cancel();
        fakes.timers.advance(1h);
        QCOMPARE(outcome(), QStringLiteral("video check, Tink, card"));
        m_f.doubleClap();
        fakes.confirmation.confirm();
        fakes.timers.advance(1400ms);
        QVERIFY(fakes.goodNight.shows == 1 && fakes.sleeper.calls == 1);

        m_f.doubleClap(); // idle again; "Sleep Now" from the menu while the card is up
        state.sleepNow();
        state.sleepNow();
        QVERIFY(!fakes.confirmation.isShowing() && state.isSleepPending());
        QCOMPARE(fakes.goodNight.shows, 2);
        fakes.timers.advance(1399ms);
        QVERIFY(fakes.sleeper.calls == 1 && fakes.goodNight.showing);
        fakes.timers.advance(1ms);
        QVERIFY(fakes.sleeper.calls == 2 && !fakes.goodNight.showing && !state.isSleepPending());
        fakes.timers.advance(1h);
        QCOMPARE(fakes.sleeper.calls, 2);
    }

    void practiceCountsClapsThenTheDoubleClap() {
        AppState& state = m_f.create(Given{.practice = true});
        QStringList order;
        connect(&state, &AppState::testClapCountChanged, this,
                [&] { order << QString::number(state.testClapCount()); });
        connect(&state, &AppState::testDoubleClapCountChanged, this, [&] { order << "double"; });
        m_f.doubleClap(false);
        QVERIFY(order.isEmpty()); // posted by the capture thread, counted on the GUI thread
        QCoreApplication::processEvents();
        QCOMPARE(order, (QStringList{"1", "2", "double"}));
        state.beginClapTest(); // again: the counters start over
        QCOMPARE(state.testClapCount() + state.testDoubleClapCount(), 0);
        m_f.doubleClap();
        state.endClapTest();
        m_f.doubleClap(); // counted no more
        QVERIFY(!state.isClapTestActive());
        QCOMPARE(state.testClapCount(), 2);
        QCOMPARE(state.testDoubleClapCount(), 1);
    }
};

QTEST_GUILESS_MAIN(SleepFlowTest)
#include "SleepFlowTest.moc"

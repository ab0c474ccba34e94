// What a double clap leads to, the good-night card before the sleep command, and the
// practice mode.

#include "StateFixture.h"

#include <QTest>

class SleepFlowTest : public QObject {
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

QTEST_GUILESS_MAIN(SleepFlowTest)
#include "SleepFlowTest.moc"

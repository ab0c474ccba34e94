#include "app/AppState.h"
#include "support/FakeServices.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <vector>

using namespace lullwick;
using Sound = SoundPlayer::Sound;

Q_DECLARE_METATYPE(lullwick::ConfirmationMode)

class SleepFlowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;
    double m_clock = 10.0;

    FakeServices& fakes() { return *m_fakes; }
    AppState& state() { return *m_state; }

    void create() { m_state = std::make_unique<AppState>(m_fakes->services(), m_fakes->views()); }

    // Two claps 0.3 s apart through the detector, as the capture thread delivers them, then
    // the GUI thread handles what they posted.
    void doubleClap() {
        std::vector<float> click(1024, 0.0f);
        click[100] = 0.6f;
        m_clock += 5.0; // past any cooldown
        state().detector().process(click, m_clock);
        state().detector().process(click, m_clock + 0.3);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        m_fakes = std::make_unique<FakeServices>();
        m_fakes->store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
    }
    void cleanup() {
        m_state.reset();
        m_fakes.reset();
    }

    void decisionTable_data() {
        QTest::addColumn<ConfirmationMode>("mode");
        QTest::addColumn<bool>("video");
        QTest::addColumn<bool>("asks");
        QTest::newRow("always, no video") << ConfirmationMode::always << false << true;
        QTest::newRow("always, video") << ConfirmationMode::always << true << true;
        QTest::newRow("whenVideoPlaying, no video")
            << ConfirmationMode::whenVideoPlaying << false << false;
        QTest::newRow("whenVideoPlaying, video")
            << ConfirmationMode::whenVideoPlaying << true << true;
    }
    void decisionTable() {
        QFETCH(ConfirmationMode, mode);
        QFETCH(bool, video);
        QFETCH(bool, asks);
        fakes().store.values.insert(QStringLiteral("confirmationMode"),
                                    QString::fromLatin1(rawValue(mode).data()));
        if (video)
            fakes().inhibitors.playVideo();
        create();
        doubleClap();
        QCOMPARE(fakes().inhibitors.snapshots, 1);
        if (asks) {
            QCOMPARE(fakes().sounds.played, QList<Sound>{Sound::tink});
            QCOMPARE(fakes().confirmation.shows, QList<bool>{video});
            QCOMPARE(fakes().goodNight.shows, 0);
            QVERIFY(!state().isSleepPending());
        } else {
            QVERIFY(fakes().sounds.played.isEmpty());
            QVERIFY(fakes().confirmation.shows.isEmpty());
            QCOMPARE(fakes().goodNight.shows, 1);
            QVERIFY(state().isSleepPending());
            QTRY_COMPARE(fakes().sleeper.calls, 1);
            QCOMPARE(fakes().goodNight.closes, 1);
            QVERIFY(!state().isSleepPending());
        }
    }

    void confirmingSleepsAfterTheGoodNightCardAndDropsClapsMeanwhile() {
        create();
        doubleClap();
        QCOMPARE(fakes().confirmation.shows.size(), 1);
        doubleClap(); // while the card is up: dropped without a sound
        QCOMPARE(fakes().confirmation.shows.size(), 1);
        QCOMPARE(fakes().sounds.played.size(), 1);

        fakes().confirmation.confirm();
        QCOMPARE(fakes().goodNight.shows, 1);
        QVERIFY(state().isSleepPending());
        doubleClap(); // during the good-night interval: dropped
        QCOMPARE(fakes().confirmation.shows.size(), 1);
        QCOMPARE(fakes().sleeper.calls, 0);
        QTRY_COMPARE(fakes().sleeper.calls, 1);
        QVERIFY(!fakes().goodNight.showing);

        // Idle again: the next double clap is handled as the first was.
        doubleClap();
        QCOMPARE(fakes().confirmation.shows.size(), 2);
    }

    void cancellingChangesNothing() {
        create();
        doubleClap();
        fakes().confirmation.cancel();
        QVERIFY(!state().isSleepPending());
        QCOMPARE(fakes().goodNight.shows, 0);
        doubleClap();
        QCOMPARE(fakes().confirmation.shows.size(), 2);
        QTest::qWait(AppState::goodNightMs + 200); // no sleep may follow a cancel
        QCOMPARE(fakes().sleeper.calls, 0);
    }

    void sleepNowTwiceSleepsOnceAndClosesTheCard() {
        create();
        doubleClap();
        QVERIFY(fakes().confirmation.isShowing());
        state().sleepNow(); // "Sleep Now" from the menu while the card is up
        QVERIFY(!fakes().confirmation.isShowing());
        state().sleepNow();
        QCOMPARE(fakes().goodNight.shows, 1);
        QTRY_COMPARE(fakes().sleeper.calls, 1);
        QTest::qWait(AppState::goodNightMs + 200); // the second request must not add a sleep
        QCOMPARE(fakes().sleeper.calls, 1);
    }

    void clapsAreDroppedWhenNotListening() {
        fakes().store.values.insert(QStringLiteral("enabled"), false);
        create();
        doubleClap();
        QVERIFY(fakes().confirmation.shows.isEmpty());
        QCOMPARE(fakes().inhibitors.snapshots, 0);

        state().setIsEnabled(true);
        state().setScheduleEnabled(true);
        state().setScheduleWindows({ScheduleWindow{QUuid::createUuid(), 60, 120, true}});
        fakes().clock.setMinute(600); // outside the only window
        doubleClap();
        QVERIFY(fakes().confirmation.shows.isEmpty());
        QCOMPARE(fakes().goodNight.shows, 0);
    }

    void practiceModeOnlyCounts() {
        fakes().store.values.insert(QStringLiteral("enabled"), false);
        fakes().store.values.insert(QStringLiteral("confirmationMode"),
                                    QStringLiteral("whenVideoPlaying"));
        create();
        state().setTestClapCount(7);
        state().beginClapTest();
        QCOMPARE(state().testClapCount(), 0);
        QCOMPARE(state().testDoubleClapCount(), 0);

        QStringList order;
        connect(&state(), &AppState::testClapCountChanged, this,
                [&] { order << QStringLiteral("clap"); });
        connect(&state(), &AppState::testDoubleClapCountChanged, this,
                [&] { order << QStringLiteral("double"); });
        doubleClap();
        QCOMPARE(order, (QStringList{QStringLiteral("clap"), QStringLiteral("clap"),
                                     QStringLiteral("double")}));
        QCOMPARE(state().testClapCount(), 2);
        QCOMPARE(state().testDoubleClapCount(), 1);
        QCOMPARE(fakes().sounds.played, QList<Sound>{Sound::glass});
        QVERIFY(fakes().confirmation.shows.isEmpty());
        QCOMPARE(fakes().goodNight.shows, 0);
        QCOMPARE(fakes().inhibitors.snapshots, 0);

        state().beginClapTest(); // again: the counters start over
        QCOMPARE(state().testDoubleClapCount(), 0);
        state().endClapTest();
        QVERIFY(!state().isClapTestActive());
        QCOMPARE(state().testDoubleClapCount(), 0);
    }

    void aSleepAfterTheStateIsGoneNeverHappens() {
        create();
        state().sleepNow();
        m_state.reset();
        QTest::qWait(AppState::goodNightMs + 200); // the delayed step must find nothing
        QCOMPARE(fakes().sleeper.calls, 0);
    }
};

QTEST_GUILESS_MAIN(SleepFlowTest)
#include "SleepFlowTest.moc"

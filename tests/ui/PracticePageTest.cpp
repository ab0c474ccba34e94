#include "ui/PracticePage.h"

#include "support/FakeServices.h"
#include "ui/AnimationClock.h"
#include "ui/ClapArea.h"
#include "ui/MascotView.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

// The practice page against a real state object with fake services.
class TestPracticePage : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;
    QTemporaryDir m_pictures;

private slots:
    void init() {
        m_fakes = std::make_unique<FakeServices>();
        m_state = m_fakes->makeState();
    }

    void cleanup() {
        m_state.reset();
        m_fakes.reset();
    }

    void displayStates_data() {
        QTest::addColumn<MicStatus>("microphone");
        QTest::addColumn<int>("doubles");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("status"); // empty: the orange warning instead
        QTest::addColumn<bool>("hint");
        const QString trying = QStringLiteral("Try it \u2014 clap twice now");
        const QString detected = QStringLiteral("Double clap detected!");
        QTest::newRow("no microphone") << MicStatus::denied << 0 << trying << "" << true;
        QTest::newRow("waiting") << MicStatus::authorized << 0 << trying
                                 << "Practice claps here never put your computer to sleep." << true;
        QTest::newRow("detected once")
            << MicStatus::authorized << 1 << detected
            << "Detected 1\u00d7 \u2014 you're all set. Click Finish." << false;
        QTest::newRow("detected three times")
            << MicStatus::authorized << 3 << detected
            << "Detected 3\u00d7 \u2014 you're all set. Click Finish." << false;
        QTest::newRow("detected, then the microphone lost")
            << MicStatus::notDetermined << 1 << detected << "" << false;
    }

    void displayStates() {
        QFETCH(MicStatus, microphone);
        QFETCH(int, doubles);
        QFETCH(QString, title);
        QFETCH(QString, status);
        QFETCH(bool, hint);
        PracticePage page(*m_state, m_pictures.path());
        page.show();
        m_state->setTestDoubleClapCount(doubles);
        m_state->setMicStatus(microphone);

        QCOMPARE(page.title()->text(), title);
        QCOMPARE(page.status()->isVisible(), !status.isEmpty());
        QCOMPARE(page.warning()->isVisible(), status.isEmpty());
        if (!status.isEmpty())
            QCOMPARE(page.status()->text(), status);
        QCOMPARE(page.hint()->isVisible(), hint);
        QCOMPARE(page.clapArea()->isDetected(), doubles > 0);
        MascotView* mascot = page.clapArea()->mascot();
        QCOMPARE(mascot && mascot->isVisible(), doubles > 0);
        if (mascot) {
            QCOMPARE(mascot->pose(), MascotPose::alert);
            QVERIFY(!mascot->showZs());
            QCOMPARE(mascot->sizeHint(), QSize(104, 104));
        }
    }

    void theMicrophoneFollowsThePageWhateverTheSwitch() {
        m_state->setIsEnabled(false);
        m_state->setTestClapCount(5);
        m_state->setTestDoubleClapCount(2);
        QVERIFY(!m_fakes->audioInput.isRunning());
        auto page = std::make_unique<PracticePage>(*m_state, m_pictures.path());
        QVERIFY(m_state->isClapTestActive());
        QCOMPARE(m_state->testClapCount(), 0);
        QCOMPARE(m_state->testDoubleClapCount(), 0);
        QVERIFY(m_fakes->audioInput.isRunning());
        page.reset();
        QVERIFY(!m_state->isClapTestActive());
        QVERIFY(!m_fakes->audioInput.isRunning());
    }

    void everyNewClapStartsThePulseOver() {
        PracticePage page(*m_state, m_pictures.path());
        ClapArea* area = page.clapArea();
        AnimationClock* clock = area->pulseClock();
        const auto ring = [area] { return std::pair{area->pulseScale(), area->pulseOpacity()}; };
        QCOMPARE(ring(), std::pair(1.0, 0.0)); // the first value shown gives no pulse

        const QList<std::tuple<qint64, int, qreal, qreal>> steps{
            {1, 0, 1.0, 0.9},
            {1, 300, 1.0 + 0.7 * AnimationClock::easeOut(0.5),
             0.9 * (1 - AnimationClock::easeOut(0.5))},
            {1, 600, 1.7, 0.0},
            {2, 0, 1.0, 0.9}, // a new clap after the end
            {2, 200, 1.0 + 0.7 * AnimationClock::easeOut(1 / 3.0),
             0.9 * (1 - AnimationClock::easeOut(1 / 3.0))},
            {2, 200, 1.0 + 0.7 * AnimationClock::easeOut(1 / 3.0), // the same count: no pulse
             0.9 * (1 - AnimationClock::easeOut(1 / 3.0))},
            {3, 0, 1.0, 0.9}, // a new clap during a pulse
        };
        for (const auto& [claps, elapsed, scale, opacity] : steps) {
            if (claps != m_state->testClapCount() || elapsed == 0)
                m_state->setTestClapCount(claps);
            if (elapsed > 0)
                clock->setCurrentTime(elapsed);
            QVERIFY(qFuzzyCompare(area->pulseScale(), scale));
            QVERIFY(qAbs(area->pulseOpacity() - opacity) < 1e-9);
        }
        QVERIFY(clock->state() == QAbstractAnimation::Running);
    }
};

QTEST_MAIN(TestPracticePage)
#include "PracticePageTest.moc"

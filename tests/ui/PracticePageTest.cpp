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
        const QString trying = QStringLiteral("Try it \u2014 clap twice now");
        const QString detected = QStringLiteral("Double clap detected!");
        QTest::newRow("no microphone") << MicStatus::denied << 0 << trying << "";
        QTest::newRow("waiting") << MicStatus::authorized << 0 << trying
                                 << "Practice claps here never put your computer to sleep.";
        QTest::newRow("detected three times")
            << MicStatus::authorized << 3 << detected
            << "Detected 3\u00d7 \u2014 you're all set. Click Finish.";
        QTest::newRow("detected, microphone lost")
            << MicStatus::notDetermined << 1 << detected << "";
    }

    void displayStates() {
        QFETCH(MicStatus, microphone);
        QFETCH(int, doubles);
        QFETCH(QString, title);
        QFETCH(QString, status);
        m_state->setTestDoubleClapCount(7);
        auto page = std::make_unique<PracticePage>(*m_state, m_pictures.path());
        QCOMPARE(m_state->testDoubleClapCount(), 0); // entering resets the counters
        page->show();
        m_state->setTestDoubleClapCount(doubles);
        m_state->setMicStatus(microphone);

        QCOMPARE(page->title()->text(), title);
        QCOMPARE(page->warning()->isVisible(), status.isEmpty());
        QCOMPARE(page->status()->isVisible() ? page->status()->text() : QString(), status);
        QCOMPARE(page->hint()->isVisible(), doubles == 0);
        MascotView* mascot = page->clapArea()->mascot();
        QCOMPARE(mascot && mascot->isVisible(), doubles > 0);
        if (mascot)
            QVERIFY(mascot->pose() == MascotPose::alert && !mascot->showZs());
        page.reset();
        QVERIFY(!m_state->isClapTestActive()); // leaving ends practice
    }

    void everyNewClapStartsThePulseOver() {
        PracticePage page(*m_state, m_pictures.path());
        ClapArea* area = page.clapArea();
        const auto eased = [](qreal t) {
            return std::pair{1 + 0.7 * AnimationClock::easeOut(t),
                             0.9 * (1 - AnimationClock::easeOut(t))};
        };
        // (clap count, then the clock at, the ring's scale and opacity)
        const QList<std::tuple<qint64, int, std::pair<qreal, qreal>>> steps{
            {0, -1, {1.0, 0.0}}, // the value the page first shows gives no pulse
            {1, -1, {1.0, 0.9}},     {1, 300, eased(0.5)},
            {1, 600, {1.7, 0.0}},    {2, 200, eased(1 / 3.0)}, // a new clap after the end
            {2, -1, eased(1 / 3.0)},                           // the same count again: no pulse
            {3, -1, {1.0, 0.9}},                               // a new clap during a pulse
        };
        for (const auto& [claps, elapsed, ring] : steps) {
            m_state->setTestClapCount(claps);
            if (elapsed >= 0)
                area->pulseClock()->setCurrentTime(elapsed);
            QVERIFY(qFuzzyCompare(area->pulseScale(), ring.first));
            QVERIFY(qAbs(area->pulseOpacity() - ring.second) < 1e-9);
        }
    }
};

QTEST_MAIN(TestPracticePage)
#include "PracticePageTest.moc"

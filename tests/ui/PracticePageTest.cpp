#include "ui/PracticePage.h"

#include "support/FakeServices.h"
#include "ui/AnimationClock.h"
#include "ui/ClapArea.h"
#include "ui/MascotView.h"

#include <QTest>
#include <QtWidgets>

using namespace lullwick;

// The practice page against a real state object with fake services.
class PracticePageTest : public QObject {
    Q_OBJECT

    // Each test sets what it reads; a page starts practice over.
    FakeServices m_fakes;
    AppState m_state{m_fakes.services(), m_fakes.views()};
    QTemporaryDir m_pictures;

private slots:
    void displayStates() {
        // clang-format off
        const struct { MicStatus microphone; int doubles; QStringView title, status; } rows[]{
            {MicStatus::denied, 0, u"Try it \u2014 clap twice now", u""}, // no status: the orange warning instead
            {MicStatus::authorized, 0, u"Try it \u2014 clap twice now", u"Practice claps here never put your computer to sleep."},
            {MicStatus::authorized, 3, u"Double clap detected!", u"Detected 3\u00d7 \u2014 you're all set. Click Finish."},
        };
        // clang-format on
        for (const auto& [microphone, doubles, title, status] : rows) {
            auto page = std::make_unique<PracticePage>(m_state, m_pictures.path());
            QVERIFY(m_state.isClapTestActive()); // with counters started over (SleepFlowTest)
            page->show();
            m_state.setTestDoubleClapCount(doubles);
            m_state.setMicStatus(microphone);

            QCOMPARE(page->title()->text(), title);
            QCOMPARE(page->warning()->isVisible(), status.isEmpty());
            QCOMPARE(page->status()->isVisible() ? page->status()->text() : QString(), status);
            QCOMPARE(page->hint()->isVisible(), doubles == 0);
            const MascotView* mascot = page->clapArea()->mascot();
            QCOMPARE(mascot && mascot->isVisible(), doubles > 0);
            page.reset();
            QVERIFY(!m_state.isClapTestActive()); // leaving ends practice
        }
    }

    void everyNewClapStartsThePulseOver() {
        PracticePage page(m_state, m_pictures.path());
        const auto ring = [](qreal eased) { return std::pair{1 + 0.7 * eased, 0.9 * (1 - eased)}; };
        const auto at = [&](qreal t) { return ring(AnimationClock::easeOut(t)); };
        // (clap count, then the clock at, the ring's scale and opacity)
        const QList<std::tuple<qint64, int, std::pair<qreal, qreal>>> steps{
            {0, -1, {1.0, 0.0}}, // the value the page first shows gives no pulse
            {1, -1, ring(0)},     {1, 300, at(0.5)},
            {1, 600, ring(1)},    {2, 200, at(1 / 3.0)}, // a new clap after the end
            {2, -1, at(1 / 3.0)},                        // the same count again: no pulse
            {3, -1, ring(0)},                            // a new clap during a pulse
        };
        for (const auto& [claps, elapsed, expected] : steps) {
            m_state.setTestClapCount(claps);
            if (elapsed >= 0)
                page.clapArea()->pulseClock()->setCurrentTime(elapsed);
            QVERIFY(qFuzzyCompare(page.clapArea()->pulseScale(), expected.first));
            QVERIFY(qAbs(page.clapArea()->pulseOpacity() - expected.second) < 1e-9);
        }
    }
};

QTEST_MAIN(PracticePageTest)
#include "PracticePageTest.moc"

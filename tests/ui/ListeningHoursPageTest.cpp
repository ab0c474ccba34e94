#include "ui/ListeningHoursPage.h"

#include "core/Settings.h"
#include "support/FakeServices.h"
#include "ui/ScheduleWindowRow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

using namespace lullwick;

// The listening-hours page against a real state object with fake services.
class TestListeningHoursPage : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<AppState> m_state;

    static ScheduleWindow window(int start, int end) {
        return ScheduleWindow{QUuid::createUuid(), start, end, true};
    }
    ScheduleWindows stored() const {
        const QVariant value = m_fakes->store.values.value(QLatin1String(keys::scheduleWindows));
        return decodeScheduleWindows(value.toByteArray()).value_or(ScheduleWindows{});
    }
    void setUp(bool scheduleOn, const ScheduleWindows& windows) {
        m_state->setScheduleEnabled(scheduleOn);
        m_state->setScheduleWindows(windows);
    }

private slots:
    void init() {
        m_fakes = std::make_unique<FakeServices>();
        m_state = m_fakes->makeState();
    }

    void cleanup() {
        m_state.reset();
        m_fakes.reset();
    }

    void listFollowsTheSwitchAndAddHoursAppendsNoon_data() {
        QTest::addColumn<bool>("scheduleOn");
        QTest::addColumn<int>("windows");
        QTest::addColumn<qreal>("opacity");
        QTest::newRow("off, empty: dimmed and deaf") << false << 0 << 0.5;
        QTest::newRow("off, two windows") << false << 2 << 0.5;
        QTest::newRow("on, empty: the hint") << true << 0 << 1.0;
        QTest::newRow("on, two windows") << true << 2 << 1.0;
    }

    void listFollowsTheSwitchAndAddHoursAppendsNoon() {
        QFETCH(bool, scheduleOn);
        QFETCH(int, windows);
        QFETCH(qreal, opacity);
        setUp(scheduleOn,
              windows ? ScheduleWindows{window(0, 60), window(60, 90)} : ScheduleWindows{});
        ListeningHoursPage page(*m_state);
        page.show();
        auto* hint = page.findChild<QLabel*>("emptyHint");
        QCOMPARE(page.rows().size(), windows);
        QCOMPARE(hint->isVisible(), windows == 0);
        QCOMPARE(page.windowList()->isEnabled(), scheduleOn);
        QCOMPARE(page.windowListOpacity(), opacity);
        QVERIFY(page.findChild<QCheckBox*>("scheduleEnabled")->isEnabled());

        QTest::mouseClick(page.findChild<QPushButton*>("addHours"), Qt::LeftButton);
        QCOMPARE(m_state->scheduleWindows().size(), windows + (scheduleOn ? 1 : 0));
        if (!scheduleOn)
            return;
        const ScheduleWindow added = stored().last();
        QCOMPARE(added, (ScheduleWindow{added.id, 720, 840, true}));
        ScheduleWindowRow* row = page.rows().last();
        QCOMPARE(row->id(), added.id);
        QCOMPARE(row->startPicker()->time(), QTime(12, 0));
        QCOMPARE(row->endPicker()->time(), QTime(14, 0));
        QVERIFY(!hint->isVisible());
    }

    void editsAreStoredAtOnce() {
        const QUuid id = QUuid::createUuid();
        setUp(true, {ScheduleWindow{id, 600, 660, true}});
        ListeningHoursPage page(*m_state);
        ScheduleWindowRow* row = page.rows().first();
        row->startPicker()->setTime(QTime(21, 0));
        row->endPicker()->setTime(QTime(7, 0));
        QCOMPARE(stored(), (ScheduleWindows{{id, 1260, 420, true}}));
        row->enabledSwitch()->click();
        QCOMPARE(stored(), (ScheduleWindows{{id, 1260, 420, false}}));
        QCOMPARE(row->opacity(), 0.55);
        QVERIFY(row->startPicker()->isEnabled()); // the dimming only marks it
        QCOMPARE(page.rows().first(), row);       // edited in place: a picker keeps its focus
    }

    void removeTakesExactlyItsRow_data() {
        QTest::addColumn<int>("removed");
        QTest::newRow("first of two equal") << 0;
        QTest::newRow("second of two equal") << 1;
        QTest::newRow("the other one") << 2;
    }

    void removeTakesExactlyItsRow() {
        QFETCH(int, removed);
        ScheduleWindows windows{window(720, 840), window(720, 840), window(60, 120)};
        setUp(true, windows);
        ListeningHoursPage page(*m_state);
        QTest::mouseClick(page.rows()[removed]->removeButton(), Qt::LeftButton);
        windows.removeAt(removed);
        QCOMPARE(stored(), windows);
        QCOMPARE(page.rows().size(), 2);
        QCOMPARE(page.rows()[1]->id(), windows[1].id);
    }

    void manyRowsScrollInsteadOfGrowing() {
        setUp(true, {});
        ListeningHoursPage page(*m_state);
        page.resize(480, 600); // the assistant's width
        page.show();
        QList<int> heights;
        for (int count = 1; count <= 8; ++count) {
            m_state->addScheduleWindow();
            for (int level = 0; level < 4; ++level) // layout requests climb one level a turn
                QCoreApplication::processEvents();
            heights.append(page.sizeHint().height());
        }
        QCOMPARE(page.scrollArea()->height(), ListeningHoursPage::maxListHeight);
        QVERIFY(page.scrollArea()->verticalScrollBar()->maximum() > 0);
        QVERIFY(heights[0] < heights[2]);
        QCOMPARE(heights[6], heights[7]); // long past the limit
    }

    void timesShowNoSeconds_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("C") << "C"
                           << "14:05";
        QTest::newRow("de_DE") << "de_DE"
                               << "14:05";
        QTest::newRow("en_US") << "en_US"
                               << "2:05 PM";
    }

    void timesShowNoSeconds() {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        // Only C is generated on the test machine; a named QLocale needs no system locale.
        const QLocale named(locale);
        QCOMPARE(named.toString(QTime(14, 5), ScheduleWindowRow::timeFormat(named)), shown);
        // The picker in the locale the test runs under, LC_ALL=C, whose format has seconds.
        ScheduleWindowRow row(*m_state, window(845, 60));
        QCOMPARE(row.startPicker()->text(), QStringLiteral("14:05"));
    }
};

QTEST_MAIN(TestListeningHoursPage)
#include "ListeningHoursPageTest.moc"

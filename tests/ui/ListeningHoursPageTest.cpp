#include "ui/ListeningHoursPage.h"

#include "support/FakeServices.h"
#include "ui/ScheduleWindowRow.h"

#include <QTest>
#include <QtWidgets>

using namespace lullwick;

// The listening-hours page against a real state object with fake services.
class ListeningHoursPageTest : public QObject {
    Q_OBJECT

    // Each test sets the switch and the list before it builds a page.
    FakeServices m_fakes;
    AppState m_state{m_fakes.services(), m_fakes.views()};

    static ScheduleWindow window(int start, int end) {
        return {QUuid::createUuid(), start, end, true};
    }
    void setUp(bool scheduleOn, const ScheduleWindows& windows) {
        m_state.setScheduleEnabled(scheduleOn);
        m_state.setScheduleWindows(windows);
    }

private slots:
    void listFollowsTheSwitchAndAddHoursAppendsNoon() {
        for (const bool scheduleOn : {false, true}) {
            for (const int windows : {0, 2}) {
                setUp(scheduleOn,
                      windows ? ScheduleWindows{window(0, 60), window(60, 90)} : ScheduleWindows{});
                ListeningHoursPage page(m_state);
                page.show();
                QCOMPARE(page.rows().size(), windows);
                QCOMPARE(page.findChild<QLabel*>("emptyHint")->isVisible(), windows == 0);
                QCOMPARE(page.windowList()->isEnabled(), scheduleOn); // dimmed and deaf when off
                QCOMPARE(page.windowListOpacity(), scheduleOn ? 1.0 : 0.5);
                QVERIFY(page.findChild<QCheckBox*>("scheduleEnabled")->isEnabled());

                QTest::mouseClick(page.findChild<QPushButton*>("addHours"), Qt::LeftButton);
                QCOMPARE(m_state.scheduleWindows().size(), windows + (scheduleOn ? 1 : 0));
                if (!scheduleOn)
                    continue;
                QCOMPARE(page.rows().last()->id(), m_state.scheduleWindows().last().id);
                QCOMPARE(page.rows().last()->endPicker()->time(), QTime(14, 0));
                QVERIFY(!page.findChild<QLabel*>("emptyHint")->isVisible());
            }
        }
    }

    void editsAreStoredAtOnce() {
        setUp(true, {window(600, 660)});
        ListeningHoursPage page(m_state);
        ScheduleWindowRow* row = page.rows().first();
        row->startPicker()->setTime(QTime(21, 0));
        row->endPicker()->setTime(QTime(7, 0));
        QCOMPARE(m_state.scheduleWindows(), (ScheduleWindows{{row->id(), 1260, 420, true}}));
        row->enabledSwitch()->click();
        QCOMPARE(m_state.scheduleWindows(), (ScheduleWindows{{row->id(), 1260, 420, false}}));
        QCOMPARE(row->opacity(), 0.55);
        QVERIFY(row->startPicker()->isEnabled()); // the dimming only marks it
        QCOMPARE(page.rows().first(), row);       // edited in place: a picker keeps its focus
    }

    void removeTakesExactlyItsRow() {
        for (int removed : {0, 1}) { // the first and the second of two equal ones
            ScheduleWindows windows{window(720, 840), window(720, 840), window(60, 120)};
            setUp(true, windows);
            ListeningHoursPage page(m_state);
            QTest::mouseClick(page.rows()[removed]->removeButton(), Qt::LeftButton);
            windows.removeAt(removed);
            QCOMPARE(m_state.scheduleWindows(), windows);
            QCOMPARE(page.rows().size(), 2);
            QCOMPARE(page.rows()[1]->id(), windows[1].id);
        }
    }

    void manyRowsScrollInsteadOfGrowing() {
        setUp(true, {});
        ListeningHoursPage page(m_state);
        page.resize(480, 600); // the assistant's width
        page.show();
        QList<int> heights;
        for (int count = 1; count <= 8; ++count) {
            m_state.addScheduleWindow();
            for (int level = 0; level < 4; ++level) // layout requests climb one level a turn
                QCoreApplication::processEvents();
            heights.append(page.sizeHint().height());
        }
        QCOMPARE(page.scrollArea()->height(), 132);
        QVERIFY(page.scrollArea()->verticalScrollBar()->maximum() > 0);
        QVERIFY(heights[0] < heights[2]);
        QCOMPARE(heights[6], heights[7]); // long past the limit
    }

    void timesShowNoSeconds() {
        // Only C is generated on the test machine; a named QLocale needs no system locale.
        for (const auto& [locale, shown] :
             {std::pair{"C", "14:05"}, {"de_DE", "14:05"}, {"en_US", "2:05 PM"}}) {
            const QLocale named(QString::fromLatin1(locale));
            QCOMPARE(named.toString(QTime(14, 5), ScheduleWindowRow::timeFormat(named)),
                     QString::fromLatin1(shown));
        }
        // The picker in the locale the test runs under, LC_ALL=C, whose format has seconds.
        ScheduleWindowRow row(m_state, window(845, 60));
        QCOMPARE(row.startPicker()->text(), QStringLiteral("14:05"));
    }
};

QTEST_MAIN(ListeningHoursPageTest)
#include "ListeningHoursPageTest.moc"

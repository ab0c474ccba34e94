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
        return decodeScheduleWindows(
                   m_fakes->store.values.value(QLatin1String(keys::scheduleWindows)).toByteArray())
            .value_or(ScheduleWindows{});
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
        QTest::addColumn<bool>("hint");
        QTest::addColumn<qreal>("opacity");
        QTest::newRow("off, empty: dimmed and deaf") << false << 0 << true << 0.5;
        QTest::newRow("off, two windows") << false << 2 << false << 0.5;
        QTest::newRow("on, empty: the hint") << true << 0 << true << 1.0;
        QTest::newRow("on, two windows") << true << 2 << false << 1.0;
    }

    void listFollowsTheSwitchAndAddHoursAppendsNoon() {
        QFETCH(bool, scheduleOn);
        QFETCH(int, windows);
        QFETCH(bool, hint);
        QFETCH(qreal, opacity);
        m_state->setScheduleEnabled(scheduleOn);
        ScheduleWindows list;
        for (int i = 0; i < windows; ++i)
            list.append(window(60 * i, 60 * i + 30));
        m_state->setScheduleWindows(list);
        ListeningHoursPage page(*m_state);
        page.show();

        QCOMPARE(page.rows().size(), windows);
        QCOMPARE(page.findChild<QLabel*>("emptyHint")->isVisible(), hint);
        QCOMPARE(page.windowList()->isEnabled(), scheduleOn);
        QCOMPARE(page.windowListOpacity(), opacity);
        auto* scheduleSwitch = page.findChild<QCheckBox*>("scheduleEnabled");
        QVERIFY(scheduleSwitch->isEnabled());
        QCOMPARE(scheduleSwitch->isChecked(), scheduleOn);

        QTest::mouseClick(page.findChild<QPushButton*>("addHours"), Qt::LeftButton);
        if (!scheduleOn) {
            QCOMPARE(m_state->scheduleWindows().size(), windows);
            return;
        }
        QCOMPARE(stored().size(), windows + 1);
        const ScheduleWindow added = stored().last();
        QCOMPARE(added.startMinutes, 720);
        QCOMPARE(added.endMinutes, 840);
        QVERIFY(added.isEnabled);
        ScheduleWindowRow* row = page.rows().last();
        QCOMPARE(row->id(), added.id);
        QCOMPARE(row->startPicker()->time(), QTime(12, 0));
        QCOMPARE(row->endPicker()->time(), QTime(14, 0));
        QVERIFY(row->enabledSwitch()->isChecked());
        QVERIFY(!page.findChild<QLabel*>("emptyHint")->isVisible());

        // The switch itself writes through, and the list goes deaf at once.
        QTest::mouseClick(scheduleSwitch, Qt::LeftButton);
        QVERIFY(!m_state->scheduleEnabled());
        QVERIFY(!page.windowList()->isEnabled());
    }

    void editsAreStoredAtOnce_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<ScheduleWindow>("expected");
        QTest::addColumn<qreal>("opacity");
        const QUuid id = QUuid::createUuid();
        QTest::newRow("switched off: dimmed, still stored")
            << "switch" << QTime() << ScheduleWindow{id, 600, 660, false} << 0.55;
        QTest::newRow("start 21:00")
            << "start" << QTime(21, 0) << ScheduleWindow{id, 1260, 660, true} << 1.0;
        QTest::newRow("end 07:00, across midnight")
            << "end" << QTime(7, 0) << ScheduleWindow{id, 600, 420, true} << 1.0;
        // On the day the clocks go forward this time does not exist as an instant.
        QTest::newRow("start 02:30")
            << "start" << QTime(2, 30) << ScheduleWindow{id, 150, 660, true} << 1.0;
    }

    void editsAreStoredAtOnce() {
        QFETCH(QString, control);
        QFETCH(QTime, time);
        QFETCH(ScheduleWindow, expected);
        QFETCH(qreal, opacity);
        m_state->setScheduleEnabled(true);
        m_state->setScheduleWindows({ScheduleWindow{expected.id, 600, 660, true}});
        ListeningHoursPage page(*m_state);
        ScheduleWindowRow* row = page.rows().first();
        if (control == "switch")
            row->enabledSwitch()->click();
        else
            (control == "start" ? row->startPicker() : row->endPicker())->setTime(time);
        QCOMPARE(stored(), ScheduleWindows{expected});
        QCOMPARE(row->opacity(), opacity);
        // A disabled row stays editable: the dimming only marks it.
        QVERIFY(row->startPicker()->isEnabled());
        QCOMPARE(page.rows().first(), row); // edited in place, not rebuilt
    }

    void removeTakesExactlyItsRow_data() {
        QTest::addColumn<int>("removed");
        QTest::newRow("first of two equal") << 0;
        QTest::newRow("second of two equal") << 1;
        QTest::newRow("the other one") << 2;
    }

    void removeTakesExactlyItsRow() {
        QFETCH(int, removed);
        m_state->setScheduleEnabled(true);
        ScheduleWindows windows{window(720, 840), window(720, 840), window(60, 120)};
        m_state->setScheduleWindows(windows);
        ListeningHoursPage page(*m_state);
        QTest::mouseClick(page.rows()[removed]->removeButton(), Qt::LeftButton);
        windows.removeAt(removed);
        QCOMPARE(stored(), windows);
        QCOMPARE(page.rows().size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(page.rows()[i]->id(), windows[i].id);
    }

    void manyRowsScrollInsteadOfGrowing() {
        m_state->setScheduleEnabled(true);
        ListeningHoursPage page(*m_state);
        page.resize(480, 600);
        page.show();
        int height = 0;
        for (int count = 1; count <= 10; ++count) {
            m_state->addScheduleWindow();
            QCoreApplication::processEvents(); // layout requests, no waiting
            QVERIFY(page.scrollArea()->height() <= ListeningHoursPage::maxListHeight);
            if (count >= 5) { // past the limit
                QCOMPARE(page.scrollArea()->height(), ListeningHoursPage::maxListHeight);
                QVERIFY(page.scrollArea()->verticalScrollBar()->maximum() > 0);
                if (height)
                    QCOMPARE(page.sizeHint().height(), height);
                height = page.sizeHint().height();
            }
        }
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
        // Only C is generated here; a QLocale is built from its name without the system.
        const QLocale named(locale);
        QCOMPARE(named.toString(QTime(14, 5), ScheduleWindowRow::timeFormat(named)), shown);
        // The picker, in the locale this test runs under (LC_ALL=C: its format has seconds).
        ScheduleWindowRow row(*m_state, window(845, 60));
        QVERIFY(!row.startPicker()->displayFormat().contains(QLatin1Char('s')));
        QCOMPARE(row.startPicker()->time(), QTime(14, 5));
    }
};

QTEST_MAIN(TestListeningHoursPage)
#include "ListeningHoursPageTest.moc"

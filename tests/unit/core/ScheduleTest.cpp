#include "core/Schedule.h"

#include <QTest>

using namespace lullwick;

namespace {

ScheduleWindow window(std::int64_t start, std::int64_t end, bool enabled = true) {
    return ScheduleWindow{QUuid::createUuid(), start, end, enabled};
}

} // namespace

class ScheduleTest : public QObject {
    Q_OBJECT

private slots:
    void allowsListening_data() {
        QTest::addColumn<ScheduleWindows>("windows");
        QTest::addColumn<int>("minute");
        QTest::addColumn<bool>("allowed");

        const ScheduleWindows night{window(1260, 420)};
        QTest::newRow("overnight at its start") << night << 1260 << true;
        QTest::newRow("overnight at the last minute of the day") << night << 1439 << true;
        QTest::newRow("overnight at midnight") << night << 0 << true;
        QTest::newRow("overnight one minute before its end") << night << 419 << true;
        QTest::newRow("overnight at its end") << night << 420 << false;
        QTest::newRow("overnight at noon") << night << 720 << false;
        QTest::newRow("overnight one minute before its start") << night << 1259 << false;

        const ScheduleWindows lunch{window(720, 840)};
        QTest::newRow("day window at its start") << lunch << 720 << true;
        QTest::newRow("day window one minute before its end") << lunch << 839 << true;
        QTest::newRow("day window at its end") << lunch << 840 << false;
        QTest::newRow("day window one minute before its start") << lunch << 719 << false;

        QTest::newRow("whole day at its own minute")
            << ScheduleWindows{window(600, 600)} << 600 << true;
        QTest::newRow("whole day just before its minute")
            << ScheduleWindows{window(600, 600)} << 599 << true;
        QTest::newRow("whole day among disabled windows")
            << ScheduleWindows{window(0, 1, false), window(600, 600), window(5, 6, false)} << 3
            << true;
        QTest::newRow("whole day window disabled")
            << ScheduleWindows{window(600, 600, false)} << 600 << false;

        QTest::newRow("no window") << ScheduleWindows{} << 720 << false;
        QTest::newRow("only disabled windows")
            << ScheduleWindows{window(0, 720, false), window(700, 800, false)} << 710 << false;
        QTest::newRow("second window contains the minute")
            << ScheduleWindows{window(60, 120), window(1380, 30)} << 10 << true;
        QTest::newRow("minute between two windows")
            << ScheduleWindows{window(60, 120), window(1380, 30)} << 30 << false;
    }
    void allowsListening() {
        QFETCH(ScheduleWindows, windows);
        QFETCH(int, minute);
        QFETCH(bool, allowed);
        QCOMPARE(windowsAllowListening(windows, minute), allowed);
    }

    void nextStart_data() {
        QTest::addColumn<ScheduleWindows>("windows");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("expected"); // -1: none

        const ScheduleWindows twoStarts{window(1260, 420), window(300, 360)};
        QTest::newRow("later the same day wins") << twoStarts << 1000 << 1260;
        QTest::newRow("after the last start it wraps to the morning") << twoStarts << 1300 << 300;
        QTest::newRow("a start at the current minute is chosen") << twoStarts << 300 << 300;
        QTest::newRow("one minute after a start it is a day away")
            << ScheduleWindows{window(300, 360)} << 301 << 300;
        QTest::newRow("disabled windows are skipped")
            << ScheduleWindows{window(1001, 1100, false), window(1260, 420)} << 1000 << 1260;
        QTest::newRow("no window") << ScheduleWindows{} << 1000 << -1;
        QTest::newRow("only disabled windows")
            << ScheduleWindows{window(1260, 420, false)} << 1000 << -1;
        QTest::newRow("start at midnight from the last minute")
            << ScheduleWindows{window(1439, 10), window(0, 10)} << 1439 << 1439;
        QTest::newRow("start at midnight seen from before it")
            << ScheduleWindows{window(0, 10), window(600, 700)} << 1438 << 0;
    }
    void nextStart() {
        QFETCH(ScheduleWindows, windows);
        QFETCH(int, minute);
        QFETCH(int, expected);
        const std::optional<std::int64_t> next = nextWindowStart(windows, minute);
        if (expected < 0)
            QVERIFY(!next);
        else
            QCOMPARE(next, std::optional<std::int64_t>(expected));
    }

    void description_data() {
        QTest::addColumn<ScheduleWindows>("windows");
        QTest::addColumn<QString>("text");

        QTest::newRow("none") << ScheduleWindows{} << QStringLiteral("No hours set");
        QTest::newRow("only disabled")
            << ScheduleWindows{window(1, 2, false)} << QStringLiteral("No hours set");
        QTest::newRow("one") << ScheduleWindows{window(1260, 420)}
                             << QStringLiteral("<1260> \u2013 <420>");
        QTest::newRow("two in list order, disabled left out")
            << ScheduleWindows{window(900, 60), window(5, 6, false), window(0, 0)}
            << QStringLiteral("<900> \u2013 <60>  \u00B7  <0> \u2013 <0>");
    }
    void description() {
        QFETCH(ScheduleWindows, windows);
        QFETCH(QString, text);
        const QString described =
            describeWindows(windows, [](std::int64_t m) { return QStringLiteral("<%1>").arg(m); });
        QCOMPARE(described, text);
    }
};

QTEST_GUILESS_MAIN(ScheduleTest)
#include "ScheduleTest.moc"

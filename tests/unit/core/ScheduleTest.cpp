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
    // next: the start reached soonest from the minute, -1 for none.
    void listeningHours_data() {
        QTest::addColumn<ScheduleWindows>("windows");
        QTest::addColumn<int>("minute");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<int>("next");
        const ScheduleWindows night{window(1260, 420)}, lunch{window(720, 840)};
        QTest::newRow("overnight, at its start") << night << 1260 << true << 1260;
        QTest::newRow("overnight, after midnight") << night << 0 << true << 1260;
        QTest::newRow("overnight, at its end") << night << 420 << false << 1260;
        QTest::newRow("overnight, a minute before its start") << night << 1259 << false << 1260;
        QTest::newRow("day, a minute before its end") << lunch << 839 << true << 720;
        QTest::newRow("day, at its end") << lunch << 840 << false << 720;
        QTest::newRow("day, a minute before its start") << lunch << 719 << false << 720;
        QTest::newRow("end equal to start is the whole day")
            << ScheduleWindows{window(600, 600)} << 599 << true << 600;
        QTest::newRow("disabled windows count nowhere")
            << ScheduleWindows{window(0, 720, false), window(700, 800, false)} << 710 << false
            << -1;
        QTest::newRow("no window") << ScheduleWindows{} << 720 << false << -1;
        QTest::newRow("the second window holds the minute, the first starts sooner")
            << ScheduleWindows{window(1380, 30), window(60, 120)} << 10 << true << 60;
        QTest::newRow("after the last start it wraps to the morning")
            << ScheduleWindows{window(1260, 420), window(1350, 1400, false), window(0, 10)} << 1300
            << true << 0;
    }
    void listeningHours() {
        QFETCH(ScheduleWindows, windows);
        QFETCH(int, minute);
        QFETCH(int, next);
        QTEST(windowsAllowListening(windows, minute), "allowed");
        QCOMPARE(nextWindowStart(windows, minute),
                 next < 0 ? std::nullopt : std::optional<std::int64_t>(next));
    }

    void description() {
        const auto text = [](std::int64_t m) { return QStringLiteral("<%1>").arg(m); };
        QCOMPARE(describeWindows({window(1, 2, false)}, text), QStringLiteral("No hours set"));
        QCOMPARE(describeWindows({window(900, 60), window(5, 6, false), window(0, 0)}, text),
                 QStringLiteral("<900> \u2013 <60>  \u00B7  <0> \u2013 <0>"));
    }
};

QTEST_GUILESS_MAIN(ScheduleTest)
#include "ScheduleTest.moc"

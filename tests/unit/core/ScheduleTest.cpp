// The listening hours: which minutes they hold, their description, and how they are stored.

#include "core/Schedule.h"

#include "core/ScheduleWindow.h"
#include "support/WindowLists.h"

#include <QTest>

using namespace lullwick;

namespace {

const QUuid someId = QUuid::fromString(QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301"));

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
        const ScheduleWindows lunch{window(720, 840)};
        QTest::newRow("overnight, at its start") << night() << 1260 << true << 1260;
        QTest::newRow("overnight, after midnight") << night() << 0 << true << 1260;
        QTest::newRow("overnight, at its end") << night() << 420 << false << 1260;
        QTest::newRow("overnight, a minute before its start") << night() << 1259 << false << 1260;
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

    void roundTripKeepsEveryFieldAndTheOrder() {
        const ScheduleWindows windows{window(1260, 420), window(0, 0, false)};
        QCOMPARE(decodeScheduleWindows(encodeScheduleWindows(windows)), windows);
        QCOMPARE(encodeScheduleWindows({{someId, 1260, 420, true}}),
                 QByteArray(R"([{"endMinutes":420,"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301",)"
                            R"("isEnabled":true,"startMinutes":1260}])"));
        // Any member order, lower-case ids and members of later versions are read.
        QCOMPARE(decodeScheduleWindows(R"([{"isEnabled":false,"note":"x","endMinutes":60,)"
                                       R"("startMinutes":30,"id":"3f2504e0-4f89-11d3-9a0c-)"
                                       R"(0305e82c3301"}])"),
                 (ScheduleWindows{{someId, 30, 60, false}}));
        QCOMPARE(decodeScheduleWindows(R"({"id":1})"), std::nullopt); // a list or nothing
    }

    // Each row spoils one element that follows a good one; ID stands for most of a good id.
    void unusableValuesAreRejectedWhole_data() {
        QTest::addColumn<QByteArray>("element");
        const auto with = [](const char* from, const char* to) {
            return QByteArray(R"({"id":"ID01","startMinutes":1,"endMinutes":2,"isEnabled":true})")
                .replace(from, to);
        };
        QTest::newRow("not an object") << QByteArray("42");
        QTest::newRow("torn JSON") << QByteArray("{");
        QTest::newRow("missing id") << with(R"("id":"ID01",)", "");
        QTest::newRow("id in braces") << with("ID01", "{ID01}");
        QTest::newRow("id with a letter out of hex") << with("ID01", "ID0G");
        QTest::newRow("isEnabled as number") << with("true", "1");
        QTest::newRow("start as text") << with(":1,", ":\"1\",");
        QTest::newRow("start with a fraction") << with(":1,", ":1.5,");
        QTest::newRow("start negative") << with(":1,", ":-1,");
        QTest::newRow("end at 1440") << with(":2,", ":1440,");
    }
    void unusableValuesAreRejectedWhole() {
        QFETCH(QByteArray, element);
        const auto decode = [](QByteArray json) {
            return decodeScheduleWindows(json.replace("ID", "3F2504E0-4F89-11D3-9A0C-0305E82C33"));
        };
        const QByteArray good = R"({"id":"ID01","startMinutes":1,"endMinutes":2,"isEnabled":true})";
        QCOMPARE(decode("[" + good + "]").value_or(ScheduleWindows()).size(), 1);
        QCOMPARE(decode("[" + good + "," + element + "]"), std::nullopt);
    }

    void legacyWindowIsEnabledWithAFreshId() {
        const ScheduleWindow a = legacyScheduleWindow(1320, 360);
        QCOMPARE(a, (ScheduleWindow{a.id, 1320, 360, true}));
        QVERIFY(!a.id.isNull() && a.id != legacyScheduleWindow(1320, 360).id);
    }
};

QTEST_GUILESS_MAIN(ScheduleTest)
#include "ScheduleTest.moc"

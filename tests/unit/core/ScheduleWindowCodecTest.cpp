#include "core/ScheduleWindow.h"

#include <QTest>

using namespace lullwick;

namespace {

const QUuid someId = QUuid::fromString(QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301"));

} // namespace

class ScheduleWindowCodecTest : public QObject {
    Q_OBJECT

private slots:
    void roundTripKeepsEveryFieldAndTheOrder() {
        const ScheduleWindows windows{{QUuid::createUuid(), 1260, 420, true},
                                      {QUuid::createUuid(), 0, 0, false}};
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

QTEST_APPLESS_MAIN(ScheduleWindowCodecTest)
#include "ScheduleWindowCodecTest.moc"

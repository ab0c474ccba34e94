#include "core/ScheduleWindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace lullwick;

class TestScheduleWindowCodec : public QObject {
    Q_OBJECT

private slots:
    void roundTripKeepsEveryFieldAndTheOrder() {
        const ScheduleWindows windows{
            {QUuid::createUuid(), 1260, 420, true},
            {QUuid::createUuid(), 0, 0, false},
            {QUuid::createUuid(), 1439, 1, true},
        };
        const auto decoded = decodeScheduleWindows(encodeScheduleWindows(windows));
        QVERIFY(decoded);
        QCOMPARE(*decoded, windows);
    }

    void encodingIsCompactWithUpperCaseIds() {
        const QUuid id = QUuid::fromString(QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301"));
        const QByteArray json = encodeScheduleWindows({{id, 1260, 420, true}});
        QVERIFY(!json.contains('\n'));
        QVERIFY(!json.contains(' '));
        const QJsonObject object = QJsonDocument::fromJson(json).array().at(0).toObject();
        QCOMPARE(object.size(), 4);
        QCOMPARE(object.value(QLatin1String("id")).toString(),
                 QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
        QCOMPARE(object.value(QLatin1String("startMinutes")).toInteger(), 1260);
        QCOMPARE(object.value(QLatin1String("endMinutes")).toInteger(), 420);
        QCOMPARE(object.value(QLatin1String("isEnabled")).toBool(), true);
        QCOMPARE(encodeScheduleWindows({}), QByteArray("[]"));
    }

    void acceptsAnyMemberOrderLowerCaseIdsAndUnknownMembers() {
        const auto decoded = decodeScheduleWindows(
            R"([{"isEnabled":false,"note":"x","endMinutes":60,"startMinutes":30,)"
            R"("id":"3f2504e0-4f89-11d3-9a0c-0305e82c3301","extra":[1,2]}])");
        QVERIFY(decoded);
        QCOMPARE(decoded->size(), 1);
        QCOMPARE(decoded->at(0).id,
                 QUuid::fromString(QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301")));
        QCOMPARE(decoded->at(0).startMinutes, 30);
        QCOMPARE(decoded->at(0).endMinutes, 60);
        QCOMPARE(decoded->at(0).isEnabled, false);
    }

    void emptyArrayIsAnEmptyList() {
        const auto decoded = decodeScheduleWindows("[]");
        QVERIFY(decoded);
        QVERIFY(decoded->isEmpty());
    }

    void unusableValuesAreRejectedWhole_data() {
        QTest::addColumn<QByteArray>("json");
        const QByteArray good =
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1,"endMinutes":2,"isEnabled":true})";
        auto list = [&](const QByteArray& bad) { return "[" + good + "," + bad + "]"; };
        QTest::newRow("not JSON") << QByteArray("[{");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("object at the top") << good;
        QTest::newRow("element not an object") << list("42");
        QTest::newRow("missing isEnabled") << list(
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1,"endMinutes":2})");
        QTest::newRow("missing id")
            << list(R"({"startMinutes":1,"endMinutes":2,"isEnabled":true})");
        QTest::newRow("isEnabled as number") << list(
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1,"endMinutes":2,"isEnabled":1})");
        QTest::newRow("start as string") << list(
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":"1","endMinutes":2,"isEnabled":true})");
        QTest::newRow("start with a fraction") << list(
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1.5,"endMinutes":2,"isEnabled":true})");
        QTest::newRow("id not a UUID")
            << list(R"({"id":"not-a-uuid","startMinutes":1,"endMinutes":2,"isEnabled":true})");
        QTest::newRow("id in braces") << list(
            R"({"id":"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}","startMinutes":1,"endMinutes":2,"isEnabled":true})");
        QTest::newRow("id as number")
            << list(R"({"id":7,"startMinutes":1,"endMinutes":2,"isEnabled":true})");
        QTest::newRow("trailing garbage") << ("[" + good + "] x");
        QTest::newRow("start negative") << list(
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":-1,"endMinutes":2,"isEnabled":true})");
        QTest::newRow("end at 1440") << list(
            R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","startMinutes":1,"endMinutes":1440,"isEnabled":true})");
    }
    void unusableValuesAreRejectedWhole() {
        QFETCH(QByteArray, json);
        QVERIFY(!decodeScheduleWindows(json));
    }

    void legacyWindowIsEnabledWithAFreshId() {
        const ScheduleWindow a = legacyScheduleWindow(1320, 360);
        const ScheduleWindow b = legacyScheduleWindow(1320, 360);
        QCOMPARE(a.startMinutes, 1320);
        QCOMPARE(a.endMinutes, 360);
        QVERIFY(a.isEnabled);
        QVERIFY(!a.id.isNull());
        QVERIFY(a.id != b.id);
    }
};

QTEST_APPLESS_MAIN(TestScheduleWindowCodec)
#include "ScheduleWindowCodecTest.moc"

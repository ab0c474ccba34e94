#include "core/VideoDetector.h"

#include <QTest>
#include <QVariantMap>

using namespace lullwick;

Q_DECLARE_METATYPE(std::optional<lullwick::AssertionSnapshot>)

namespace {

constexpr qint64 ownPid = 4242;

QVariantMap assertion(const QVariant& type) {
    return {{QStringLiteral("AssertType"), type}, {QStringLiteral("AssertName"), "reason"}};
}

QVariantList assertions(std::initializer_list<const char*> types) {
    QVariantList list;
    for (const char* type : types)
        list.append(assertion(QString::fromLatin1(type)));
    return list;
}

} // namespace

class VideoDetectorTest : public QObject {
    Q_OBJECT

private slots:
    void scan_data();
    void scan();
};

void VideoDetectorTest::scan_data() {
    QTest::addColumn<std::optional<AssertionSnapshot>>("snapshot");
    QTest::addColumn<bool>("expected");

    const QVariant other = QVariant::fromValue(1001u);
    const QVariant own = QVariant::fromValue(qint64(ownPid));
    const auto video = assertions({"PreventUserIdleDisplaySleep"});

    QTest::newRow("no snapshot") << std::optional<AssertionSnapshot>() << false;
    QTest::newRow("no holder") << std::optional(AssertionSnapshot{}) << false;
    QTest::newRow("another process prevents idle display sleep")
        << std::optional(AssertionSnapshot{{other, video}}) << true;
    QTest::newRow("another process holds only NoDisplaySleepAssertion")
        << std::optional(AssertionSnapshot{{other, assertions({"NoDisplaySleepAssertion"})}})
        << true;
    QTest::newRow("only types that keep the system awake")
        << std::optional(AssertionSnapshot{
               {other, assertions({"PreventUserIdleSystemSleep", "PreventSystemSleep"})}})
        << false;
    QTest::newRow("holder without assertions")
        << std::optional(AssertionSnapshot{{other, QVariantList{}}}) << false;

    QTest::newRow("only this process prevents display sleep")
        << std::optional(AssertionSnapshot{{own, video}}) << false;
    QTest::newRow("own pid as another number type")
        << std::optional(AssertionSnapshot{{QVariant::fromValue(quint32(ownPid)), video},
                                           {QVariant(double(ownPid)), video}})
        << false;
    QTest::newRow("own pid skipped, another holder still counts")
        << std::optional(AssertionSnapshot{{own, video}, {other, video}}) << true;
    QTest::newRow("a key that is not a number is never skipped")
        << std::optional(AssertionSnapshot{{QString::number(ownPid), video}}) << true;
    QTest::newRow("an app id as holder")
        << std::optional(AssertionSnapshot{{QStringLiteral("org.mozilla.firefox"), video}}) << true;

    QTest::newRow("type in other letter case")
        << std::optional(AssertionSnapshot{
               {other, assertions({"preventuseridledisplaysleep", "NODISPLAYSLEEPASSERTION"})}})
        << false;
    QTest::newRow("type with surrounding space")
        << std::optional(AssertionSnapshot{{other, assertions({" NoDisplaySleepAssertion"})}})
        << false;

    QTest::newRow("records without a string type are passed over")
        << std::optional(AssertionSnapshot{
               {other, QVariantList{QVariantMap{}, QVariantMap{{"Other", "x"}}, assertion(42),
                                    assertion(QStringList{"PreventUserIdleDisplaySleep"}),
                                    assertion("PreventUserIdleDisplaySleep")}}})
        << true;
    QTest::newRow("records without a string type and nothing else")
        << std::optional(AssertionSnapshot{
               {other, QVariantList{QVariantMap{}, assertion(42), assertion(QVariant())}}})
        << false;
    QTest::newRow("a hash counts as a record")
        << std::optional(
               AssertionSnapshot{{other, QVariantList{QVariantHash{{QStringLiteral("AssertType"),
                                                                    "NoDisplaySleepAssertion"}}}}})
        << true;

    QTest::newRow("a value that is not a list is skipped")
        << std::optional(AssertionSnapshot{{other, assertion("PreventUserIdleDisplaySleep")},
                                           {other, QStringLiteral("PreventUserIdleDisplaySleep")}})
        << false;
    QTest::newRow("a list with anything but records is skipped whole")
        << std::optional(AssertionSnapshot{
               {other, QVariantList{assertion("PreventUserIdleDisplaySleep"), 7}}})
        << false;
    QTest::newRow("a malformed holder does not stop the scan")
        << std::optional(AssertionSnapshot{{other, 7}, {QVariant(), video}}) << true;
}

void VideoDetectorTest::scan() {
    QFETCH(std::optional<AssertionSnapshot>, snapshot);
    QFETCH(bool, expected);
    QCOMPARE(VideoDetector::isVideoPlaying(snapshot, ownPid), expected);
}

QTEST_GUILESS_MAIN(VideoDetectorTest)
#include "VideoDetectorTest.moc"

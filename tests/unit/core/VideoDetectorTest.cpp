#include "core/VideoDetector.h"

#include <QTest>
#include <QVariantMap>

using namespace lullwick;

Q_DECLARE_METATYPE(std::optional<lullwick::AssertionSnapshot>)

namespace {

constexpr qint64 ownPid = 4242;
const QVariant other = QVariant::fromValue(1001u);

QVariantMap record(const QVariant& type) {
    return {{QStringLiteral("AssertType"), type}, {QStringLiteral("AssertName"), "reason"}};
}

// One holder per entry: another process holding records of these types.
std::optional<AssertionSnapshot> held(std::initializer_list<QVariant> types,
                                      const QVariant& holder = other) {
    QVariantList records;
    for (const QVariant& type : types)
        records.append(record(type));
    return AssertionSnapshot{{holder, records}};
}

} // namespace

class VideoDetectorTest : public QObject {
    Q_OBJECT

private slots:
    void scan_data() {
        using Snapshot = std::optional<AssertionSnapshot>;
        QTest::addColumn<Snapshot>("snapshot");
        QTest::addColumn<bool>("expected");
        const QVariantList video{record("PreventUserIdleDisplaySleep")};
        QTest::newRow("no snapshot") << Snapshot() << false;
        QTest::newRow("idle display sleep") << held({"PreventUserIdleDisplaySleep"}) << true;
        QTest::newRow("no display sleep") << held({"NoDisplaySleepAssertion"}) << true;
        QTest::newRow("system sleep only")
            << held({"PreventUserIdleSystemSleep", "PreventSystemSleep"}) << false;
        QTest::newRow("this process") << held({"NoDisplaySleepAssertion"}, ownPid) << false;
        QTest::newRow("this process as another number type")
            << Snapshot(AssertionSnapshot{{QVariant::fromValue(quint32(ownPid)), video},
                                          {QVariant(double(ownPid)), video}})
            << false;
        QTest::newRow("an app id, even one that reads like this process")
            << held({"PreventUserIdleDisplaySleep"}, QString::number(ownPid)) << true;
        QTest::newRow("records without a string type are passed over")
            << held({42, QStringList{"NoDisplaySleepAssertion"}, QVariant(),
                     "NoDisplaySleepAssertion"})
            << true;
        QTest::newRow("a hash is a record")
            << Snapshot(AssertionSnapshot{
                   {other, QVariantList{QVariantHash{{"AssertType", "NoDisplaySleepAssertion"}}}}})
            << true;
        QTest::newRow("values that are not lists of records only")
            << Snapshot(AssertionSnapshot{{other, record("PreventUserIdleDisplaySleep")},
                                          {other, QVariantList{video.first(), 7}}})
            << false;
        QTest::newRow("a malformed holder does not stop the scan")
            << Snapshot(AssertionSnapshot{{other, 7}, {QVariant(), video}}) << true;
    }
    void scan() {
        QFETCH(std::optional<AssertionSnapshot>, snapshot);
        QTEST(VideoDetector::isVideoPlaying(snapshot, ownPid), "expected");
    }
};

QTEST_GUILESS_MAIN(VideoDetectorTest)
#include "VideoDetectorTest.moc"

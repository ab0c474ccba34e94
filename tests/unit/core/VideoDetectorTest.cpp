#include "core/VideoDetector.h"

#include <QTest>
#include <QVariantMap>

using namespace lullwick;
using Snapshot = std::optional<AssertionSnapshot>;

Q_DECLARE_METATYPE(Snapshot)

namespace {

constexpr qint64 ownPid = 4242;
const QVariant other = QVariant::fromValue(1001u);

// Records of these types; anything but a string goes in as the type itself.
QVariantList records(std::initializer_list<QVariant> types) {
    QVariantList list;
    for (const QVariant& type : types)
        list.append(QVariantMap{{QStringLiteral("AssertType"), type}, {"AssertName", "reason"}});
    return list;
}

} // namespace

class VideoDetectorTest : public QObject {
    Q_OBJECT

private slots:
    void scan_data() {
        QTest::addColumn<Snapshot>("snapshot");
        QTest::addColumn<bool>("expected");
        const QVariantList video = records({"PreventUserIdleDisplaySleep"});
        const QVariantList noDisplaySleep = records({"NoDisplaySleepAssertion"});
        // clang-format off
        QTest::newRow("no snapshot") << Snapshot() << false;
        QTest::newRow("idle display sleep") << Snapshot({{other, video}}) << true;
        QTest::newRow("no display sleep") << Snapshot({{other, noDisplaySleep}}) << true;
        QTest::newRow("system sleep only") << Snapshot({{other, records({"PreventUserIdleSystemSleep", "PreventSystemSleep"})}}) << false;
        QTest::newRow("this process") << Snapshot({{ownPid, noDisplaySleep}}) << false;
        QTest::newRow("this process as other number types")
            << Snapshot({{QVariant::fromValue(quint32(ownPid)), video}, {double(ownPid), video}}) << false;
        QTest::newRow("an app id, even one that reads like this process") << Snapshot({{QString::number(ownPid), video}}) << true;
        QTest::newRow("records without a string type are passed over")
            << Snapshot({{other, records({42, QStringList{"NoDisplaySleepAssertion"}, QVariant(), "NoDisplaySleepAssertion"})}}) << true;
        QTest::newRow("a hash is a record") << Snapshot({{other, QVariantList{QVariantHash{{"AssertType", "NoDisplaySleepAssertion"}}}}}) << true;
        QTest::newRow("values that are not lists of records only")
            << Snapshot({{other, video.first()}, {other, QVariantList{video.first(), 7}}}) << false;
        QTest::newRow("a malformed holder does not stop the scan") << Snapshot({{other, 7}, {QVariant(), video}}) << true;
        // clang-format on
    }
    void scan() {
        QFETCH(Snapshot, snapshot);
        QTEST(VideoDetector::isVideoPlaying(snapshot, ownPid), "expected");
    }
};

QTEST_GUILESS_MAIN(VideoDetectorTest)
#include "VideoDetectorTest.moc"

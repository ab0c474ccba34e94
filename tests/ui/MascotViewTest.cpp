#include "ui/MascotView.h"

#include "ui/MascotPictures.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class MascotViewTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    MascotPictures m_pictures{m_dir.path()};
    MascotView m_view{m_pictures, MascotPose::sleepy, false, 104};

    void save(MascotPose pose, const QByteArray& content) {
        QFile file(m_dir.filePath(rawValue(pose) + ".png"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    static QByteArray png(QColor color) {
        QImage image(64, 64, QImage::Format_ARGB32);
        image.fill(color);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        image.save(&buffer, "PNG");
        return bytes;
    }
    QColor middle() { return m_view.grab().toImage().pixelColor(52, 70); }

private slots:
    // A missing file, then a broken one, then a picture: each is looked for again.
    void theCatStandsInUntilThePictureCanBeRead() {
        QCOMPARE(middle(), QColor(0x58, 0x56, 0xD6));
        save(MascotPose::sleepy, "not a picture");
        QCOMPARE(middle(), QColor(0x58, 0x56, 0xD6));
        save(MascotPose::sleepy, png(Qt::red));
        QCOMPARE(middle(), QColor(Qt::red));
    }

    void eachPictureIsReadOnceAndOnlyWhenDrawn() {
        save(MascotPose::asleep, png(Qt::blue));
        const int before = m_pictures.reads();
        m_view.setPose(MascotPose::asleep);
        QCOMPARE(m_pictures.reads(), before);
        QCOMPARE(middle(), QColor(Qt::blue));
        middle();
        QCOMPARE(m_pictures.reads(), before + 1);
    }

    void onlyTheExactFileNameNamesAPose() {
        QCOMPARE(mascotPoseFromRaw("mascot-skeptical"), MascotPose::skeptical);
        QVERIFY(!mascotPoseFromRaw("Mascot-sleepy") && !mascotPoseFromRaw("sleepy"));
    }
};

QTEST_MAIN(MascotViewTest)
#include "MascotViewTest.moc"

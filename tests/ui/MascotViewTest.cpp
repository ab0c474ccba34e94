#include "ui/MascotView.h"

#include "ui/MascotPictures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class MascotViewTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    MascotPictures m_pictures{m_dir.path()};
    MascotView m_view{m_pictures, MascotPose::sleepy, false, 104};

    QString fileOf(MascotPose pose) const { return m_dir.filePath(rawValue(pose) + ".png"); }
    void paint(MascotPose pose, QColor color) const {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(color);
        QVERIFY(image.save(fileOf(pose)));
    }
    QColor middle() { return m_view.grab().toImage().pixelColor(52, 70); }

private slots:
    // A missing file, then a broken one, then a picture: each is looked for again.
    void theCatStandsInUntilThePictureCanBeRead() {
        QCOMPARE(middle(), QColor(0x58, 0x56, 0xD6));
        QVERIFY(QFile(fileOf(MascotPose::sleepy)).open(QIODevice::WriteOnly)); // empty: unreadable
        QCOMPARE(middle(), QColor(0x58, 0x56, 0xD6));
        paint(MascotPose::sleepy, Qt::red);
        QCOMPARE(middle(), QColor(Qt::red));
    }

    void eachPictureIsReadOnceAndOnlyWhenDrawn() {
        paint(MascotPose::asleep, Qt::blue);
        const int before = m_pictures.reads();
        m_view.setPose(MascotPose::asleep);
        QCOMPARE(middle(), QColor(Qt::blue));
        middle();
        QCOMPARE(m_pictures.reads(), before + 1);
    }
};

QTEST_MAIN(MascotViewTest)
#include "MascotViewTest.moc"

#include "ui/MascotView.h"

#include "ui/AnimationClock.h"
#include "ui/MascotPictures.h"

#include <QBitmap>
#include <QPainter>
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
        QImage image(64, 64, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter(&image).fillRect(0, 8, 64, 56, color); // room above, as the pictures have
        QVERIFY(image.save(fileOf(pose)));
    }
    QColor middle() { return m_view.grab().toImage().pixelColor(52, 70); }

private slots:
    // A missing file, then a broken one, then a picture: each is looked for again. A picture
    // is read once, and only when drawn.
    void theCatStandsInUntilThePictureCanBeRead() {
        QCOMPARE(middle(), QColor(0x58, 0x56, 0xD6));
        QVERIFY(QFile(fileOf(MascotPose::sleepy)).open(QIODevice::WriteOnly)); // empty: unreadable
        QCOMPARE(middle(), QColor(0x58, 0x56, 0xD6));
        paint(MascotPose::sleepy, Qt::red);
        paint(MascotPose::asleep, Qt::blue);
        QCOMPARE(middle(), QColor(Qt::red));
        const int reads = m_pictures.reads();
        m_view.setPose(MascotPose::asleep);
        QCOMPARE(m_pictures.reads(), reads);
        QCOMPARE(middle(), QColor(Qt::blue));
        middle();
        QCOMPARE(m_pictures.reads(), reads + 1);
    }

    // Up in 1.4 s easing in and out, down in 1.4 s, again; the base never moves.
    void breathesAboutTheBottomEdge() {
        paint(MascotPose::alert, Qt::black);
        MascotView mascot(m_pictures, MascotPose::alert, false, 104);
        QRect resting;
        // clang-format off
        for (auto [ms, scale] : {std::pair{0, 0.97}, {350, 0.9777}, {1400, 1.03}, {2100, 1.0}, {2800, 0.97}, {4200, 1.03}}) {
            // clang-format on
            mascot.clock()->setCurrentTime(ms);
            QVERIFY(qAbs(mascot.breathScale() - scale) < 0.0005);
            QImage image(mascot.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            mascot.render(&image, {}, {}, QWidget::RenderFlags());
            const QRect ink = QRegion(QBitmap::fromImage(image.createAlphaMask())).boundingRect();
            resting = ms == 0 ? ink : resting;
            QCOMPARE(ink.bottom(), resting.bottom());
            QVERIFY(qAbs(ink.height() - resting.height() * scale / 0.97) <= 1.0);
        }
    }
};

QTEST_MAIN(MascotViewTest)
#include "MascotViewTest.moc"

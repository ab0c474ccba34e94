#include "ui/MascotView.h"

#include "ui/AnimationClock.h"
#include "ui/MascotPictures.h"

#include <QFile>
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
    static QRect inked(MascotView& mascot) {
        QImage image(mascot.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        mascot.render(&image, {}, {}, QWidget::RenderFlags());
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 127)
                    ink |= QRect(x, y, 1, 1);
        return ink;
    }

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

    // Up in 1.4 s easing in and out, down in 1.4 s, again; the base never moves.
    void breathesAboutTheBottomEdge() {
        paint(MascotPose::alert, Qt::black);
        MascotView mascot(m_pictures, MascotPose::alert, false, 104);
        mascot.clock()->setCurrentTime(0);
        const QRect resting = inked(mascot);
        // clang-format off
        for (auto [ms, scale] : {std::pair{0, 0.97}, {350, 0.9777}, {1400, 1.03}, {2100, 1.0}, {2800, 0.97}, {4200, 1.03}}) {
            // clang-format on
            mascot.clock()->setCurrentTime(ms);
            QVERIFY2(qAbs(mascot.breathScale() - scale) < 0.0005, qPrintable(QString::number(ms)));
            const QRect now = inked(mascot);
            QCOMPARE(now.bottom(), resting.bottom());
            QVERIFY(qAbs(now.height() - resting.height() * scale / 0.97) <= 1.0);
        }
    }
};

QTEST_MAIN(MascotViewTest)
#include "MascotViewTest.moc"

// The mascot of the cards and the Zs it sleeps with.

#include "ui/MascotView.h"

#include "support/FakeTimers.h"
#include "ui/AnimationClock.h"
#include "ui/ConfirmationView.h"
#include "ui/FloatingZs.h"
#include "ui/GoodNightView.h"
#include "ui/MascotPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;
using namespace std::chrono_literals;

class MascotViewTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir, m_square;
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
    // Where the widget, drawn alone, leaves any ink at all.
    static QRect inkOf(QWidget& widget) {
        QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        widget.render(&image, {}, {}, QWidget::RenderFlags());
        QRect inked;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked |= qAlpha(image.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
        return inked;
    }

private slots:
    void initTestCase() {
        QImage square(240, 240, QImage::Format_ARGB32);
        square.fill(Qt::darkGray);
        QVERIFY(square.save(m_square.filePath(QStringLiteral("mascot-asleep.png"))));
    }

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

    // Its drawing grows and shrinks about its base, which never moves.
    void breathesAboutTheBottomEdge() {
        paint(MascotPose::alert, Qt::black);
        MascotView mascot(m_pictures, MascotPose::alert, false, 104);
        QList<QRect> inks;
        for (int ms : {0, 1400})
            mascot.clock()->setCurrentTime(ms), inks << inkOf(mascot);
        QVERIFY(inks[0].bottom() == inks[1].bottom() && inks[0].height() < inks[1].height());
    }

    // Whole inside the card's rounded shape and away from their widget's edge, at every step;
    // the large Z is the highest letter throughout, its top following its offset.
    // The picture fills the mascot's square, the worst case for each card; else the drawn cat
    // stands in.
    void theLettersStayWholeInsideTheCard_data() {
        QTest::addColumn<bool>("goodNight");
        QTest::addColumn<bool>("picture");
        QTest::newRow("good night, picture") << true << true;
        QTest::newRow("confirmation, picture") << false << true;
        QTest::newRow("confirmation, cat") << false << false;
    }
    void theLettersStayWholeInsideTheCard() {
        QFETCH(bool, goodNight);
        QFETCH(bool, picture);
        MascotPictures pictures(picture ? m_square.path() : m_square.filePath("none"));
        FakeTimers timers;
        std::unique_ptr<QWidget> view;
        if (goodNight)
            view = std::make_unique<GoodNightView>(pictures);
        else
            view = std::make_unique<ConfirmationView>(
                pictures, timers, false, [] {}, [] {});
        timers.advance(6s); // the Zs of the confirmation come with four seconds left
        view->show();
        view->findChild<AnimationClock*>()->pause(); // only the test moves them
        auto* zs = view->findChild<FloatingZs*>();
        zs->clock()->pause();
        QPainterPath shape;
        shape.addRoundedRect(QRectF(view->rect()), goodNight ? 24 : 22, goodNight ? 24 : 22);
        QRect resting;
        for (int ms : {0, 250, 499, 700, 1300, 1700, 2099, 2500}) {
            zs->clock()->setCurrentTime(ms);
            const QRect inked = inkOf(*zs);
            // Pixel centres; the card's shape is convex, so its corners are the ones to test.
            QVERIFY(shape.contains(QRectF(inked.translated(zs->pos())).adjusted(.5, .5, -.5, -.5)));
            resting = ms == 0 ? inked : resting;
            const qreal rise =
                FloatingZs::largeAt(ms).offset.y() - FloatingZs::largeAt(0).offset.y();
            QVERIFY(zs->rect().adjusted(1, 1, -1, -1).contains(inked));
            QVERIFY(FloatingZs::largeAt(ms).opacity <= 0.2 ||
                    qAbs(inked.top() - resting.top() - rise) <= 1.0);
        }
    }
};

QTEST_MAIN(MascotViewTest)
#include "MascotViewTest.moc"

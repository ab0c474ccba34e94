#include "ui/FloatingZs.h"

#include "support/FakeTimers.h"
#include "ui/AnimationClock.h"
#include "ui/ConfirmationView.h"
#include "ui/GoodNightView.h"
#include "ui/MascotPictures.h"
#include "ui/MascotView.h"

#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;
using namespace std::chrono_literals;

class FloatingZsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QImage square(240, 240, QImage::Format_ARGB32);
        square.fill(Qt::darkGray);
        QVERIFY(square.save(m_dir.filePath(QStringLiteral("mascot-asleep.png"))));
    }

    // Each letter rises on an ease-out curve, fading, and starts over after 1.6 s; the large one
    // half a second behind.
    void lettersRiseEaseOutAndTheLargeOneHalfASecondLater() {
        // Shares of the rise done.
        const qreal quarter = 0.3781, half = 0.6846;
        // clang-format off
        for (const auto& [ms, large, risen] : {std::tuple{400, false, quarter}, {2400, false, half}, // a round later
                                              {499, true, 0.0}, {2900, true, half}}) { // the Z waits
            // clang-format on
            const FloatingZs::Letter letter =
                large ? FloatingZs::largeAt(ms) : FloatingZs::smallAt(ms);
            const QPointF offset = large ? QPointF(12, -8 - 20 * risen) : QPointF(0, -16 * risen);
            QVERIFY(QLineF(letter.offset, offset).length() < 0.02);
            QVERIFY(qAbs(letter.opacity - (large ? 0.7 : 0.9) * (1 - risen)) < 0.002);
        }
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
        MascotPictures pictures(picture ? m_dir.path() : m_dir.filePath(QStringLiteral("none")));
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
        // The frame hangs 8 right of and 10 above the picture's (or the cat's) top-right corner.
        auto* mascot = view->findChild<MascotView*>();
        const int inset = picture ? 0 : (mascot->width() - 44) / 2;
        QCOMPARE(zs->frameCorner(),
                 mascot->pos() + QPoint(mascot->width() - inset + 8, inset - 10));
        QPainterPath shape;
        shape.addRoundedRect(QRectF(view->rect()), goodNight ? 24 : 22, goodNight ? 24 : 22);
        QRect resting;
        for (int ms : {0, 250, 499, 700, 1300, 1700, 2099, 2500}) {
            zs->clock()->setCurrentTime(ms);
            QImage ink(zs->size(), QImage::Format_ARGB32_Premultiplied);
            ink.fill(Qt::transparent);
            zs->render(&ink, {}, {}, QWidget::RenderFlags());
            QRect inked;
            for (int y = 0; y < ink.height(); ++y)
                for (int x = 0; x < ink.width(); ++x)
                    inked |= qAlpha(ink.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
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

QTEST_MAIN(FloatingZsTest)
#include "FloatingZsTest.moc"

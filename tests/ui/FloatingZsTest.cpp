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

    // The card with its Zs up, its animations stopped so that only the test moves them.
    std::unique_ptr<QWidget> card(const QString& which, bool picture, FakeTimers& timers) {
        MascotPictures* pictures =
            new MascotPictures(picture ? m_dir.path() : m_dir.filePath(QStringLiteral("none")));
        std::unique_ptr<QWidget> view;
        if (which == "good night") {
            view = std::make_unique<GoodNightView>(*pictures);
        } else {
            view = std::make_unique<ConfirmationView>(
                *pictures, timers, false, [] {}, [] {});
            timers.advance(6s);
        }
        connect(view.get(), &QObject::destroyed, [pictures] { delete pictures; });
        view->show();
        view->findChild<AnimationClock*>()->pause();
        view->findChild<FloatingZs*>()->clock()->pause();
        return view;
    }

private slots:
    void initTestCase() {
        QImage square(240, 240, QImage::Format_ARGB32);
        square.fill(Qt::darkGray);
        QVERIFY(square.save(m_dir.filePath(QStringLiteral("mascot-asleep.png"))));
    }

    // Each letter at a quarter and half of its rise, on an ease-out curve; each row is
    // one letter at one moment.
    void lettersRiseEaseOutAndTheLargeOneHalfASecondLater_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("large");
        QTest::addColumn<qreal>("risen"); // share of the rise done
        const qreal quarter = 0.3781, half = 0.6846;
        QTest::newRow("z at the start") << 0 << false << 0.0;
        QTest::newRow("z a quarter in") << 400 << false << quarter;
        QTest::newRow("z halfway") << 800 << false << half;
        QTest::newRow("z back at the start") << 1600 << false << 0.0;
        QTest::newRow("z halfway, a round later") << 2400 << false << half;
        QTest::newRow("Z waits") << 499 << true << 0.0;
        QTest::newRow("Z a quarter in") << 900 << true << quarter;
        QTest::newRow("Z halfway") << 1300 << true << half;
        QTest::newRow("Z back at the start") << 2100 << true << 0.0;
        QTest::newRow("Z halfway, a round later") << 2900 << true << half;
    }
    void lettersRiseEaseOutAndTheLargeOneHalfASecondLater() {
        QFETCH(int, ms);
        QFETCH(bool, large);
        QFETCH(qreal, risen);
        const FloatingZs::Letter letter = large ? FloatingZs::largeAt(ms) : FloatingZs::smallAt(ms);
        const QPointF offset = large ? QPointF(12, -8 - 20 * risen) : QPointF(0, -16 * risen);
        const qreal opacity = (large ? 0.7 : 0.9) * (1 - risen);
        QVERIFY2(QLineF(letter.offset, offset).length() < 0.02 &&
                     qAbs(letter.opacity - opacity) < 0.002,
                 qPrintable(QStringLiteral("at %1,%2 with %3")
                                .arg(letter.offset.x())
                                .arg(letter.offset.y())
                                .arg(letter.opacity)));
    }

    void theLettersStayWholeInsideTheCard_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<int>("radius");
        for (const char* which : {"good night", "confirmation"}) {
            const int radius = QByteArray(which) == "good night" ? 24 : 22;
            QTest::addRow("%s, picture", which) << which << true << radius;
            QTest::addRow("%s, fallback", which) << which << false << radius;
        }
    }
    void theLettersStayWholeInsideTheCard() {
        QFETCH(QString, which);
        QFETCH(bool, picture);
        QFETCH(int, radius);
        FakeTimers timers;
        const std::unique_ptr<QWidget> view = card(which, picture, timers);
        auto* mascot = view->findChild<MascotView*>();
        auto* zs = view->findChild<FloatingZs*>();
        // The frame hangs 8 right of and 10 above the picture's (or the cat's) top-right corner.
        const int inset = picture ? 0 : (mascot->width() - 44) / 2;
        QCOMPARE(zs->frameCorner(),
                 mascot->pos() + QPoint(mascot->width() - inset + 8, inset - 10));

        QPainterPath shape;
        shape.addRoundedRect(QRectF(view->rect()), radius, radius);
        int restingTop = 0;
        for (int ms : {0, 250, 499, 700, 1300, 1700, 2099, 2500}) {
            zs->clock()->setCurrentTime(ms);
            QImage ink(zs->size(), QImage::Format_ARGB32_Premultiplied);
            ink.fill(Qt::transparent);
            zs->render(&ink, {}, {}, QWidget::RenderFlags());
            QRect inked;
            for (int y = 0; y < ink.height(); ++y) {
                for (int x = 0; x < ink.width(); ++x) {
                    if (qAlpha(ink.pixel(x, y)) == 0)
                        continue;
                    inked |= QRect(x, y, 1, 1);
                    const QPoint onCard = zs->pos() + QPoint(x, y);
                    QVERIFY2(shape.contains(QPointF(onCard) + QPointF(0.5, 0.5)),
                             qPrintable(QStringLiteral("%1 ms: ink at %2,%3 outside the card")
                                            .arg(ms)
                                            .arg(onCard.x())
                                            .arg(onCard.y())));
                }
            }
            // Ink on the widget's edge would be a letter cut by it.
            QVERIFY(zs->rect().adjusted(1, 1, -1, -1).contains(inked));
            // The large Z is the highest letter throughout: its top follows its offset.
            if (ms == 0)
                restingTop = inked.top();
            const qreal rise =
                FloatingZs::largeAt(ms).offset.y() - FloatingZs::largeAt(0).offset.y();
            if (FloatingZs::largeAt(ms).opacity > 0.2)
                QVERIFY(qAbs(inked.top() - restingTop - rise) <= 1.0);
        }
    }
};

QTEST_MAIN(FloatingZsTest)
#include "FloatingZsTest.moc"

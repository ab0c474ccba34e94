#include "ui/Placement.h"

#include <QTest>

using namespace lullwick;

class PlacementTest : public QObject {
    Q_OBJECT

private slots:
    // A screen left of the primary, below a 24-pixel panel: 1280 × 776 available.
    void keepsInsideTheAreaMovingTheLeast_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("wanted");
        QTest::addColumn<QPoint>("placed");
        // clang-format off
        QTest::newRow("inside: untouched") << QSize(320, 300) << QPoint(-800, 24) << QPoint(-800, 24);
        QTest::newRow("touching every edge") << QSize(1280, 776) << QPoint(-1280, 24) << QPoint(-1280, 24);
        QTest::newRow("above the top: down to it") << QSize(320, 390) << QPoint(-800, -75) << QPoint(-800, 24);
        QTest::newRow("below the bottom: up to it") << QSize(320, 300) << QPoint(-800, 700) << QPoint(-800, 500);
        QTest::newRow("past the right: left to it") << QSize(320, 300) << QPoint(-100, 24) << QPoint(-320, 24);
        QTest::newRow("past the left and top") << QSize(320, 300) << QPoint(-1300, 0) << QPoint(-1280, 24);
        QTest::newRow("taller: its top on the top") << QSize(320, 900) << QPoint(-800, -100) << QPoint(-800, 24);
        QTest::newRow("taller, wanted low") << QSize(320, 900) << QPoint(-800, 300) << QPoint(-800, 24);
        QTest::newRow("wider: its left on the left") << QSize(1400, 300) << QPoint(-100, 24) << QPoint(-1280, 24);
        // clang-format on
    }
    void keepsInsideTheAreaMovingTheLeast() {
        QFETCH(QSize, size);
        QFETCH(QPoint, wanted);
        QTEST(placeInside(QRect(-1280, 24, 1280, 776), size, wanted), "placed");
    }
};

QTEST_APPLESS_MAIN(PlacementTest)
#include "PlacementTest.moc"

#include "ui/ScreenChoice.h"

#include <QTest>

using namespace lullwick;

class ScreenChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void theScreenTheUserWorksOn() {
        // The primary on the right, a second screen on its left, a third below it.
        const QList<QRect> three{{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {0, 1080, 1920, 1080}};
        // clang-format off
        const struct { QList<QRect> screens; std::optional<QRect> active; std::optional<QPoint> pointer; int chosen; } rows[]{
            {three, QRect(-900, 100, 600, 400), QPoint(500, 500), 1}, // the active window before the pointer
            {three, QRect(-200, 1000, 800, 400), {}, 2},              // a window across two: the one with more
            {three, {}, QPoint(100, 1500), 2},                        // no window: under the pointer
            {three, QRect(5000, 5000, 10, 10), QPoint(-10, 10), 1},   // a window off every screen: the pointer
            {three, {}, QPoint(-5000, 0), 0},                         // neither: the primary
            {{}, QRect(0, 0, 10, 10), QPoint(0, 0), -1},              // no screen at all
        };
        // clang-format on
        for (const auto& [screens, active, pointer, chosen] : rows)
            QCOMPARE(chooseScreen(screens, active, pointer), chosen);
    }
};

QTEST_APPLESS_MAIN(ScreenChoiceTest)
#include "ScreenChoiceTest.moc"

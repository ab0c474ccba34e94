#include "ui/ScreenChoice.h"

#include <QTest>

using namespace lullwick;

using Window = std::optional<QRect>;
using Pointer = std::optional<QPoint>;
Q_DECLARE_METATYPE(Window)
Q_DECLARE_METATYPE(Pointer)

class ScreenChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void theScreenTheUserWorksOn_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<Window>("active");
        QTest::addColumn<Pointer>("pointer");
        QTest::addColumn<int>("chosen");
        // The primary on the right, a second screen on its left, a third below it.
        const QList<QRect> three{{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {0, 1080, 1920, 1080}};
        QTest::newRow("active window on the left screen, pointer on the primary")
            << three << Window(QRect(-900, 100, 600, 400)) << Pointer(QPoint(500, 500)) << 1;
        QTest::newRow("active window across two screens: the one with more of it")
            << three << Window(QRect(-200, 1000, 800, 400)) << Pointer() << 2;
        QTest::newRow("no active window: under the pointer")
            << three << Window() << Pointer(QPoint(100, 1500)) << 2;
        QTest::newRow("active window off every screen: under the pointer")
            << three << Window(QRect(5000, 5000, 10, 10)) << Pointer(QPoint(-10, 10)) << 1;
        QTest::newRow("neither: the primary")
            << three << Window() << Pointer(QPoint(-5000, 0)) << 0;
        QTest::newRow("no screen at all")
            << QList<QRect>{} << Window(QRect(0, 0, 10, 10)) << Pointer(QPoint(0, 0)) << -1;
    }
    void theScreenTheUserWorksOn() {
        QFETCH(QList<QRect>, screens);
        QFETCH(Window, active);
        QFETCH(Pointer, pointer);
        QTEST(chooseScreen(screens, active, pointer), "chosen");
    }
};

QTEST_APPLESS_MAIN(ScreenChoiceTest)
#include "ScreenChoiceTest.moc"

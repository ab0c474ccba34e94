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
        // clang-format off
        QTest::newRow("active window before the pointer") << three << Window({-900, 100, 600, 400}) << Pointer({500, 500}) << 1;
        QTest::newRow("window across two: the one with more") << three << Window({-200, 1000, 800, 400}) << Pointer() << 2;
        QTest::newRow("no window: under the pointer") << three << Window() << Pointer({100, 1500}) << 2;
        QTest::newRow("window off every screen: pointer") << three << Window({5000, 5000, 10, 10}) << Pointer({-10, 10}) << 1;
        QTest::newRow("neither: the primary") << three << Window() << Pointer({-5000, 0}) << 0;
        QTest::newRow("no screen at all") << QList<QRect>{} << Window({0, 0, 10, 10}) << Pointer({0, 0}) << -1;
        // clang-format on
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

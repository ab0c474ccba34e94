#include "ui/GoodNightPanelController.h"

#include "ui/FloatingPanel.h"
#include "ui/MascotPictures.h"
#include "ui/MascotView.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class GoodNightPanelControllerTest : public QObject {
    Q_OBJECT

private slots:
    void showsOneSleepingClickThroughCardUntilClosed() {
        QTemporaryDir empty;
        MascotPictures pictures(empty.path());
        GoodNightPanelController controller(pictures);
        controller.close();
        QSignalSpy shown(&controller, &GoodNightPanelController::shown);
        controller.show();
        QPointer<FloatingPanel> first = controller.panel();
        controller.show();
        QVERIFY(!first);
        const FloatingPanel* panel = controller.panel();
        QVERIFY(panel->isVisible() && panel->windowFlags() & Qt::WindowTransparentForInput);
        QVERIFY(shown.wait());
        QCOMPARE(panel->findChild<QLabel*>()->text(), QStringLiteral("Good night!"));
        QCOMPARE(panel->findChild<MascotView*>()->pose(), MascotPose::asleep);
        QVERIFY(panel->findChild<MascotView*>()->showZs());
        controller.close();
        QVERIFY(!controller.panel());
    }
};

QTEST_MAIN(GoodNightPanelControllerTest)
#include "GoodNightPanelControllerTest.moc"

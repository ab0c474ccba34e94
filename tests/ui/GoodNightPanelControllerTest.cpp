#include "ui/GoodNightPanelController.h"

#include "ui/FloatingPanel.h"
#include "ui/MascotPictures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class GoodNightPanelControllerTest : public QObject {
    Q_OBJECT

private slots:
    void showsOneClickThroughCardUntilClosed() {
        QTemporaryDir empty;
        MascotPictures pictures(empty.path());
        GoodNightPanelController controller(pictures);
        controller.close();
        controller.show();
        QPointer<FloatingPanel> first = controller.panel();
        controller.show();
        QVERIFY(!first);
        QVERIFY(controller.panel()->isVisible());
        QVERIFY(controller.panel()->windowFlags() & Qt::WindowTransparentForInput);
        controller.close();
        QVERIFY(!controller.panel());
    }
};

QTEST_MAIN(GoodNightPanelControllerTest)
#include "GoodNightPanelControllerTest.moc"

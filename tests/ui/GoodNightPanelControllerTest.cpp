#include "ui/GoodNightPanelController.h"

#include "support/TextContrast.h"
#include "ui/FloatingPanel.h"
#include "ui/GoodNightView.h"
#include "ui/MascotPictures.h"

#include <QApplication>
#include <QLabel>
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

    // Light over the darkest desktop, dark over the lightest.
    void theWordsAreLegibleInLightAndDark() {
        QTemporaryDir empty;
        MascotPictures pictures(empty.path());
        GoodNightPanelController controller(pictures);
        for (auto [window, text, desktop] : {std::tuple{"#efefef", "#000000", Qt::black},
                                             std::tuple{"#2a2e32", "#fcfcfc", Qt::white}}) {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor(window));
            palette.setColor(QPalette::WindowText, QColor(text));
            QApplication::setPalette(palette);
            controller.show();
            FloatingPanel* panel = controller.panel();
            QImage image(panel->size(), QImage::Format_RGB32);
            image.fill(desktop);
            panel->render(&image, {}, {}, QWidget::DrawChildren);
            const QLabel* words = panel->findChild<GoodNightView*>()->label();
            QVERIFY(textContrast(image, QRect(words->mapTo(panel, QPoint()), words->size())) >=
                    4.5);
        }
        QApplication::setPalette(QPalette());
    }
};

QTEST_MAIN(GoodNightPanelControllerTest)
#include "GoodNightPanelControllerTest.moc"

#include "ui/FloatingPanel.h"
#include "ui/Mascot.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

Q_DECLARE_METATYPE(std::optional<lullwick::MascotPose>)

namespace {

void writePicture(const QString& folder, MascotPose pose, QColor color) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(color);
    QVERIFY(image.save(folder + u'/' + rawValue(pose) + QStringLiteral(".png")));
}

} // namespace

class TestMascot : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init() {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void posesAreBuiltFromTheirExactRawValue_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<std::optional<MascotPose>>("pose");
        QTest::newRow("alert") << "mascot-alert" << std::optional(MascotPose::alert);
        QTest::newRow("sleepy") << "mascot-sleepy" << std::optional(MascotPose::sleepy);
        QTest::newRow("asleep") << "mascot-asleep" << std::optional(MascotPose::asleep);
        QTest::newRow("skeptical") << "mascot-skeptical" << std::optional(MascotPose::skeptical);
        QTest::newRow("capital") << "Mascot-sleepy" << std::optional<MascotPose>();
        QTest::newRow("bare case") << "sleepy" << std::optional<MascotPose>();
        QTest::newRow("with extension") << "mascot-sleepy.png" << std::optional<MascotPose>();
    }
    void posesAreBuiltFromTheirExactRawValue() {
        QFETCH(QString, raw);
        QFETCH(std::optional<MascotPose>, pose);
        QCOMPARE(mascotPoseFromRaw(raw), pose);
        if (pose)
            QCOMPARE(rawValue(*pose), raw);
    }

    void eachPictureIsReadOnceAndOnlyWhenShown() {
        writePicture(m_dir.path(), MascotPose::sleepy, Qt::red);
        writePicture(m_dir.path(), MascotPose::asleep, Qt::blue);
        MascotPictures pictures(m_dir.path());
        MascotView first(pictures, MascotPose::sleepy, false, 104);
        MascotView second(pictures, MascotPose::sleepy, false, 120);
        QCOMPARE(pictures.reads(), 0); // building a view reads nothing
        first.grab();
        second.grab();
        first.grab();
        QCOMPARE(pictures.reads(), 1);
        QVERIFY(!first.showsFallback());
        // The picture fills the square, its colour in the middle.
        QCOMPARE(first.grab().toImage().pixelColor(52, 60), QColor(Qt::red));
        first.setPose(MascotPose::asleep);
        first.grab();
        QCOMPARE(pictures.reads(), 2); // asleep now; alert and skeptical never read
    }

    void aMissingPictureShowsTheCatUntilItAppears() {
        MascotPictures pictures(m_dir.path());
        MascotView view(pictures, MascotPose::asleep, true, 120);
        const QImage fallback = view.grab().toImage();
        QVERIFY(view.showsFallback());
        // The indigo cat is in the middle of an otherwise empty square.
        QCOMPARE(fallback.pixelColor(60, 70), QColor(0x58, 0x56, 0xD6));
        QVERIFY(fallback.pixelColor(5, 5) != QColor(0x58, 0x56, 0xD6));
        QVERIFY(view.showZs());

        writePicture(m_dir.path(), MascotPose::asleep, Qt::green);
        view.grab();
        QVERIFY(!view.showsFallback());
        QCOMPARE(view.grab().toImage().pixelColor(60, 70), QColor(Qt::green));
    }

    void anUnreadablePictureIsNotCached() {
        QFile broken(m_dir.filePath(QStringLiteral("mascot-alert.png")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
        broken.close();
        MascotPictures pictures(m_dir.path());
        QVERIFY(!pictures.image(MascotPose::alert));
        QVERIFY(!pictures.image(MascotPose::alert));
        QCOMPARE(pictures.reads(), 2);
    }

    void theMascotBreathesAboutItsBottomEdge() {
        writePicture(m_dir.path(), MascotPose::alert, Qt::red);
        MascotPictures pictures(m_dir.path());
        QWidget window;
        auto* mascot = new MascotView(pictures, MascotPose::alert, false, 104, &window);
        QCOMPARE(mascot->breathScale(), 0.97);
        QVERIFY(!mascot->isBreathing());
        window.show();
        QVERIFY(mascot->isBreathing());
        QTRY_VERIFY(mascot->breathScale() > 1.0);
        QVERIFY(mascot->breathScale() <= 1.03);
        // The base stays: the bottom row is painted whatever the scale.
        const QImage frame = mascot->grab().toImage();
        QCOMPARE(frame.pixelColor(52, 103), QColor(Qt::red));
    }

    void theZsRiseAndFadeFromTheTopRightCorner() {
        MascotPictures pictures(m_dir.path());
        QWidget window;
        window.resize(300, 300);
        auto* mascot = new MascotView(pictures, MascotPose::asleep, false, 104, &window);
        mascot->move(100, 100);
        QVERIFY(!mascot->floatingZs());
        mascot->setShowZs(true);
        FloatingZs* zs = mascot->floatingZs();
        QVERIFY(zs);
        window.show();
        QCOMPARE(zs->smallOffset(), QPointF(0, 0));
        QCOMPARE(zs->largeOffset(), QPointF(12, -8));
        QCOMPARE(zs->smallOpacity(), 0.9);
        QCOMPARE(zs->largeOpacity(), 0.7);
        // Top-right corner on the picture's, 8 right and 10 up.
        QCOMPARE(zs->geometry().topRight(), QPoint(100 + 104 - 1 + 8, 100 - 10));
        QTRY_VERIFY(zs->smallOffset().y() < -4);
        QVERIFY(zs->smallOffset().y() >= -16);
        QVERIFY(zs->smallOpacity() < 0.9);
        QTRY_VERIFY(zs->largeOffset().y() < -8);
        QVERIFY(zs->largeOffset().y() >= -28);

        mascot->setShowZs(false);
        QVERIFY(!mascot->floatingZs());
    }

    void theGoodNightCardIsOneClickThroughCardAboveTheMiddle() {
        writePicture(m_dir.path(), MascotPose::asleep, Qt::blue);
        MascotPictures pictures(m_dir.path());
        GoodNightPanelController controller(pictures);
        controller.close(); // nothing showing: nothing happens
        QVERIFY(!controller.panel());
        controller.show();
        controller.show();
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) {
                                   return w->objectName() == QLatin1String("goodNightPanel") &&
                                          w->isVisible();
                               }),
                 1);
        FloatingPanel* panel = controller.panel();
        QVERIFY(panel->windowFlags() & Qt::WindowTransparentForInput);
        QVERIFY(panel->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QVERIFY(panel->windowFlags() & Qt::WindowStaysOnTopHint);
        auto* label = panel->findChild<QLabel*>(QStringLiteral("goodNightLabel"));
        QCOMPARE(label->text(), QStringLiteral("Good night!"));
        auto* mascot = panel->findChild<MascotView*>();
        QCOMPARE(mascot->pose(), MascotPose::asleep);
        QVERIFY(mascot->showZs());
        QCOMPARE(mascot->size(), QSize(120, 120));

        const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize card = panel->cardSize();
        const QPoint cardTopLeft =
            panel->geometry().topLeft() +
            QPoint((panel->width() - card.width()) / 2, (panel->height() - card.height()) / 2);
        QVERIFY(std::abs(cardTopLeft.x() + card.width() / 2 - visible.center().x()) <= 1);
        QVERIFY(std::abs(cardTopLeft.y() + card.height() - (visible.y() + visible.height() / 2)) <=
                1);

        controller.close();
        QVERIFY(!controller.panel());
    }
};

QTEST_MAIN(TestMascot)
#include "MascotTest.moc"

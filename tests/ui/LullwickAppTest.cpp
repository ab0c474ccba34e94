#include "ui/LullwickApp.h"

#include "support/FakeServices.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace lullwick;

class TestLullwickApp : public QObject {
    Q_OBJECT

    FakeServices m_fakes;

    AppServices services() { return m_fakes.services(); }

    // Renders the tray icon so that two icons can be told apart by their pixels.
    static QImage pixels(const QSystemTrayIcon& tray) {
        return tray.icon().pixmap(QSize(22, 22)).toImage();
    }

private slots:
    void initTestCase() {
        // Not set up yet: nothing opens the microphone by itself.
        m_fakes.microphone.current = MicStatus::notDetermined;
    }

    void ownsExactlyOneStateAndShowsTheMoonAtFirst() {
        LullwickApp app(services());
        QCOMPARE(app.findChildren<AppState*>().size(), 1);
        QCOMPARE(app.iconName(), QStringLiteral("moon.zzz"));
        QVERIFY(!app.trayIcon().icon().isNull());
        QVERIFY(app.trayIcon().isVisible());
    }

    void iconFollowsDetectorRunningWithoutOpeningTheMenu() {
        LullwickApp app(services());
        const QImage moon = pixels(app.trayIcon());
        app.state().setDetectorRunning(true);
        QCOMPARE(app.iconName(), QStringLiteral("hands.clap"));
        const QImage hands = pixels(app.trayIcon());
        QVERIFY(!hands.isNull());
        QVERIFY(hands != moon);
        app.state().setDetectorRunning(false);
        QCOMPARE(app.iconName(), QStringLiteral("moon.zzz"));
        QCOMPARE(pixels(app.trayIcon()), moon);
    }

    void bothIconsAreDrawnAndReadableOnLightAndDarkPanels() {
        // Each icon has both light and dark pixels, so one of them contrasts with any panel.
        for (const char* name : {"hands.clap", "moon.zzz"}) {
            const QImage image = QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)))
                                     .pixmap(QSize(44, 44))
                                     .toImage();
            int light = 0;
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.alpha() < 200)
                        continue;
                    light += c.lightness() > 200;
                    dark += c.lightness() < 60;
                }
            QVERIFY2(light > 40 && dark > 40, name);
        }
    }

    void theMenuHoldsQuitWhichEndsTheApplication() {
        LullwickApp app(services());
        QMenu* menu = app.trayIcon().contextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 1);
        QAction* quit = menu->actions().front();
        QCOMPARE(quit->text(), QStringLiteral("Quit Lullwick"));
        QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
        QTimer::singleShot(0, quit, &QAction::trigger);
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(quitting.size(), 1);
    }

    void closingWindowsNeverQuits() { QVERIFY(!QApplication::quitOnLastWindowClosed()); }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // As the entry does: a tray application outlives its windows.
    QApplication::setQuitOnLastWindowClosed(false);
    TestLullwickApp test;
    return QTest::qExec(&test, argc, argv);
}
#include "LullwickAppTest.moc"

// The application's tray icon: when it is made, and its pictures from the icon theme holding
// our installed symbolic icons, or our own drawings where the theme has none.

#include "ui/LullwickApp.h"

#include "support/FakeServices.h"
#include "support/TestFiles.h"
#include "ui/MenuContent.h"
#include "ui/TrayIconImage.h"

#include <QDir>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class LullwickAppTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_themes;

private slots:
    // A hicolor theme with the symbolic folder the installation fills, and the files it
    // installs there, under their installed names.
    void initTestCase() {
        Q_INIT_RESOURCE(icons);
        const QDir theme(m_themes.filePath("hicolor")), source(LULLWICK_SYMBOLIC_ICONS_DIR);
        QVERIFY(theme.mkpath("symbolic/apps") &&
                writeFile(theme.filePath("index.theme"),
                          "[Icon Theme]\nName=Hicolor\nDirectories=symbolic/apps\n\n"
                          "[symbolic/apps]\nSize=16\nMinSize=8\nMaxSize=512\nType=Scalable\n"));
        for (const QString& name : source.entryList({"*-symbolic.svg"}))
            QVERIFY(QFile::copy(source.filePath(name), theme.filePath("symbolic/apps/" + name)));
        QIcon::setThemeName("hicolor");
    }

    // The theme's icon carries its name to the panel, which recolours it.
    void fromTheThemeElseOurOwnDrawing() {
        for (bool themed : {true, false}) {
            QIcon::setThemeSearchPaths({m_themes.path() + (themed ? "" : "/nothing")});
            QStringList names;
            for (const QString symbol : {"hands.clap", "moon.zzz"}) {
                const QIcon icon = TrayIconImage::forSymbol(symbol);
                names << icon.name();
                QVERIFY(!icon.pixmap(22, 22).isNull());
            }
            QCOMPARE(names.count(QString()), themed ? 0 : 2);
            QVERIFY(!themed || names[0] != names[1]);
        }
    }

    // Without a tray in time the icon is made all the same, for one that turns up later; its
    // picture follows whether the detector runs.
    void theTrayIconWaitsForATray() {
        for (bool found : {true, false}) {
            FakeServices fakes;
            FakeTrayHost host;
            FakeDesktopNotifier notifier;
            LullwickApp app(fakes.services());
            app.showTrayIconWhenReady(host, notifier);
            QVERIFY(host.waitedFor == LullwickApp::trayWaitLimit && !app.trayIcon());
            host.answer(found);
            QVERIFY(app.trayIcon() && app.trayIcon()->isVisible());
            QCOMPARE(fakes.log.lines.size() + notifier.shown.size(), found ? 0 : 2);
            const auto pixels = [&] { return app.trayIcon()->icon().pixmap(22, 22).toImage(); };
            const QImage moon = pixels();
            app.state().setDetectorRunning(!app.state().detectorRunning());
            QVERIFY(!moon.isNull() && !pixels().isNull() && pixels() != moon);
            app.state().setDetectorRunning(!app.state().detectorRunning());
            QCOMPARE(pixels(), moon);
        }
    }
};

QTEST_MAIN(LullwickAppTest)
#include "LullwickAppTest.moc"

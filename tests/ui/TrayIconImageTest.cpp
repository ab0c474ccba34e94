// The tray's icons from an icon theme holding our installed symbolic icons, and our own
// drawings where the theme has none.

#include "ui/TrayIconImage.h"

#include <QDir>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

using lullwick::TrayIconImage;

class TrayIconImageTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_themes;

private slots:
    // A hicolor theme with the symbolic folder the installation fills, and the files it
    // installs there, under their installed names.
    void initTestCase() {
        Q_INIT_RESOURCE(icons);
        const QDir theme(m_themes.filePath("hicolor")), source(LULLWICK_SYMBOLIC_ICONS_DIR);
        QFile index(theme.filePath("index.theme"));
        QVERIFY(theme.mkpath("symbolic/apps") && index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Hicolor\nDirectories=symbolic/apps\n\n"
                    "[symbolic/apps]\nSize=16\nMinSize=8\nMaxSize=512\nType=Scalable\n");
        for (const QString& name : source.entryList({"*-symbolic.svg"}))
            QVERIFY(QFile::copy(source.filePath(name), theme.filePath("symbolic/apps/" + name)));
        QIcon::setThemeName("hicolor");
    }

    void fromTheThemeElseOurOwnDrawing() {
        for (bool themed : {true, false}) {
            QIcon::setThemeSearchPaths({m_themes.path() + (themed ? "" : "/nothing")});
            for (const QString symbol : {"hands.clap", "moon.zzz"}) {
                const QIcon icon = TrayIconImage::forSymbol(symbol);
                QCOMPARE(icon.name(), themed ? TrayIconImage::themeName(symbol) : QString());
                QVERIFY(!icon.pixmap(22, 22).isNull());
            }
        }
    }
};

QTEST_MAIN(TrayIconImageTest)
#include "TrayIconImageTest.moc"

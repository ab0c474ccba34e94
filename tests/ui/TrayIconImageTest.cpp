// The tray's icons from an icon theme holding our installed symbolic icons, and our own
// drawings where the theme has none.

#include "ui/TrayIconImage.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class TrayIconImageTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_themes;
    QStringList m_searchPaths;

private slots:
    void initTestCase() {
        Q_INIT_RESOURCE(icons);
        m_searchPaths = QIcon::themeSearchPaths();
        // A hicolor theme with the symbolic folder the installation fills, and the files it
        // installs there, under their installed names.
        const QString apps = m_themes.path() + QStringLiteral("/hicolor/symbolic/apps");
        QVERIFY(QDir().mkpath(apps));
        QFile index(m_themes.path() + QStringLiteral("/hicolor/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Hicolor\nDirectories=symbolic/apps\n\n"
                    "[symbolic/apps]\nSize=16\nMinSize=8\nMaxSize=512\nType=Scalable\n");
        index.close();
        const QDir source(QStringLiteral(LULLWICK_SYMBOLIC_ICONS_DIR));
        for (const QString& name : source.entryList({QStringLiteral("*-symbolic.svg")}))
            QVERIFY(QFile::copy(source.filePath(name), apps + u'/' + name));
        QIcon::setThemeName(QStringLiteral("hicolor"));
    }
    void cleanup() { QIcon::setThemeSearchPaths(m_searchPaths); }

    void installedSymbolicIconsComeFromTheTheme_data() {
        QTest::addColumn<QString>("symbol");
        QTest::newRow("listening") << QStringLiteral("hands.clap");
        QTest::newRow("not listening") << QStringLiteral("moon.zzz");
    }
    void installedSymbolicIconsComeFromTheTheme() {
        QFETCH(QString, symbol);
        QIcon::setThemeSearchPaths({m_themes.path()});
        const QIcon icon = TrayIconImage::forSymbol(symbol);
        QCOMPARE(icon.name(), TrayIconImage::themeName(symbol));
        QVERIFY(!icon.pixmap(22, 22).isNull());
    }
    void ownDrawingWithoutTheme_data() { installedSymbolicIconsComeFromTheTheme_data(); }
    void ownDrawingWithoutTheme() {
        QFETCH(QString, symbol);
        QIcon::setThemeSearchPaths({m_themes.path() + QStringLiteral("/nothing")});
        const QIcon icon = TrayIconImage::forSymbol(symbol);
        QVERIFY(icon.name().isEmpty());
        QVERIFY(!icon.pixmap(22, 22).isNull());
    }
};

QTEST_MAIN(TrayIconImageTest)
#include "TrayIconImageTest.moc"

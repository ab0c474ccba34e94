// The autostart entry on real files, in a throwaway $XDG_CONFIG_HOME.

#include "platform/XdgAutostartLoginItem.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class XdgAutostartLoginItemTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    const QString m_folder = m_config.filePath(QStringLiteral("autostart"));
    const QString m_entry = m_folder + QStringLiteral("/org.lullwick.Lullwick.desktop");

    void write(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    // desktop-file-validate's complaints, and the Exec line.
    QString validatedExec() {
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(QStringLiteral("desktop-file-validate"), {m_entry});
        validator.waitForFinished(30000);
        QFile file(m_entry);
        file.open(QIODevice::ReadOnly);
        const QStringList exec = QString::fromUtf8(file.readAll()).split(u'\n').filter(u"Exec=");
        return QString::fromUtf8(validator.readAll()) + exec.value(0).mid(5);
    }

private slots:
    void init() {
        QDir(m_folder).removeRecursively();
        QFile::remove(m_folder);
    }

    void createdReadAndRemoved() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QCOMPARE(XdgAutostartLoginItem::defaultEntryPath(), m_entry);
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(!item.isEnabled());
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QCOMPARE(validatedExec(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(XdgAutostartLoginItem(m_entry).isEnabled()); // as at the next start
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!QFile::exists(m_entry) && !item.isEnabled());
        QCOMPARE(item.setEnabled(false), std::nullopt); // nothing to remove is no failure
    }

    void hiddenOnlyInTheMainGroup_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("hidden, with spaces")
            << QByteArray("[Desktop Entry]\nHidden = true \n") << false;
        QTest::newRow("hidden=false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("hidden in an action")
            << QByteArray("[Desktop Entry]\nName=x\n[Desktop Action x]\nHidden=true\n") << true;
    }
    void hiddenOnlyInTheMainGroup() {
        QFETCH(QByteArray, entry);
        write(m_entry, entry);
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QTEST(item.isEnabled(), "enabled");
        QCOMPARE(item.setEnabled(true), std::nullopt); // ours replaces it
        QVERIFY(item.isEnabled());
    }

    void awkwardProgramPathsStayOneArgument_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("space") << "/opt/my apps/lw"
                               << "\"/opt/my apps/lw\"";
        QTest::newRow("percent") << "/opt/100%/lw"
                                 << "/opt/100%%/lw";
        QTest::newRow("dollar and quote") << "/opt/$x\"y/lw"
                                          << "\"/opt/\\\\$x\\\\\"y/lw\"";
        QTest::newRow("backslash") << "/opt/a\\b/lw"
                                   << "\"/opt/a\\\\\\\\b/lw\"";
        QTest::newRow("line break") << "/opt/a\nHidden=true/lw"
                                    << "\"/opt/a\\nHidden=true/lw\"";
    }
    void awkwardProgramPathsStayOneArgument() {
        QFETCH(QString, program);
        XdgAutostartLoginItem item(m_entry, program);
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QTEST(validatedExec(), "exec");
        QVERIFY(item.isEnabled()); // a line break in the path must not smuggle in a key
    }

    void blockedPlacesFailWithAReason() {
        // Root ignores permission bits, so plain files and folders are in the way instead.
        write(m_folder, "not a folder");
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(item.setEnabled(true).value_or(QString()).contains(m_folder));
        QFile::remove(m_folder);
        QVERIFY(QDir().mkpath(m_entry));
        QVERIFY(!item.isEnabled());
        QVERIFY(item.setEnabled(false).value_or(QString()).contains(m_entry));
        QVERIFY(item.setEnabled(true));
    }

    void aDanglingLinkIsRemoved() {
        QVERIFY(QDir().mkpath(m_folder) && QFile::link(m_config.filePath("gone"), m_entry));
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(!item.isEnabled());
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!QFileInfo(m_entry).isSymLink());
    }
};

QTEST_GUILESS_MAIN(XdgAutostartLoginItemTest)
#include "XdgAutostartLoginItemTest.moc"

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
    QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    void switchedOffByEitherKeyOfTheMainGroup_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nName=x\n") << true;
        QTest::newRow("hidden, with spaces")
            << QByteArray("[Desktop Entry]\nHidden = true \n") << false;
        QTest::newRow("hidden=false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("GNOME off")
            << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("GNOME on") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n")
                                  << true;
        QTest::newRow("both in an action")
            << QByteArray("[Desktop Entry]\nName=x\n[Desktop Action x]\nHidden=true\n"
                          "X-GNOME-Autostart-enabled=false\n")
            << true;
    }
    void switchedOffByEitherKeyOfTheMainGroup() {
        QFETCH(QByteArray, entry);
        write(m_entry, entry);
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QTEST(item.isEnabled(), "enabled");
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QVERIFY(item.isEnabled());
    }

    void someoneElsesEntryIsSwitchedInPlaceAndKept() {
        const QByteArray users =
            "# mine\n[Desktop Entry]\nType=Application\nName=Lullwick\n"
            "Exec=/opt/lullwick/bin/lullwick --sleep-command /usr/local/bin/nap\n"
            "X-GNOME-Autostart-enabled=false\nActions=quit;\n"
            "[Desktop Action quit]\nName=Quit\nExec=true\n";
        write(m_entry, users);
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QVERIFY(item.isEnabled());
        QByteArray expected = users;
        expected.replace("X-GNOME-Autostart-enabled=false", "X-GNOME-Autostart-enabled=true");
        QCOMPARE(read(m_entry), expected);

        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!item.isEnabled());
        expected.replace("Actions=quit;\n", "Actions=quit;\nHidden=true\n");
        QCOMPARE(read(m_entry), expected);
        QCOMPARE(validatedExec(),
                 QStringLiteral("/opt/lullwick/bin/lullwick --sleep-command /usr/local/bin/nap"));

        QCOMPARE(item.setEnabled(true), std::nullopt);
        expected.replace("Hidden=true\n", "");
        QCOMPARE(read(m_entry), expected);
    }

    void aLinkToAnEntryElsewhereIsReplacedNotWrittenThrough() {
        const QString elsewhere = m_config.filePath(QStringLiteral("shared.desktop"));
        const QByteArray shared = "[Desktop Entry]\nType=Application\nName=L\nExec=lullwick\n";
        write(elsewhere, shared);
        QVERIFY(QDir().mkpath(m_folder) && QFile::link(elsewhere, m_entry));
        XdgAutostartLoginItem item(m_entry, QStringLiteral("/usr/bin/lullwick"));
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!item.isEnabled() && !QFileInfo(m_entry).isSymLink());
        QCOMPARE(read(elsewhere), shared);
    }

    void theEntryCarriesTheSleepCommands() {
        XdgAutostartLoginItem item(
            m_entry, QStringLiteral("/usr/bin/lullwick"),
            {QStringLiteral("--sleep-command"), QStringLiteral("/usr/local/bin/hibernate now"),
             QStringLiteral("--sleep-fallback"), QStringLiteral("/bin/true")});
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QCOMPARE(validatedExec(), QStringLiteral("/usr/bin/lullwick --sleep-command "
                                                 "\"/usr/local/bin/hibernate now\" "
                                                 "--sleep-fallback /bin/true"));
        // The next start's options replace the old ones.
        QCOMPARE(
            XdgAutostartLoginItem(m_entry, QStringLiteral("/usr/bin/lullwick")).setEnabled(true),
            std::nullopt);
        QCOMPARE(validatedExec(), QStringLiteral("/usr/bin/lullwick"));
    }

    void startProgram_data() {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the installed file, reached through a link") << "link"
                                                                    << "installed"
                                                                    << "installed";
        QTest::newRow("a build tree") << "build"
                                      << "installed"
                                      << "build";
        QTest::newRow("replaced by an upgrade") << "gone"
                                                << "installed"
                                                << "installed";
        QTest::newRow("nothing installed") << "build"
                                           << "absent"
                                           << "build";
    }
    void startProgram() {
        QFETCH(QString, running);
        QFETCH(QString, installed);
        QFETCH(QString, expected);
        QTemporaryDir programs;
        write(programs.filePath(QStringLiteral("installed")), "#!/bin/sh\n");
        write(programs.filePath(QStringLiteral("build")), "#!/bin/sh\n");
        QVERIFY(QFile::link(programs.filePath(QStringLiteral("installed")),
                            programs.filePath(QStringLiteral("link"))));
        QCOMPARE(XdgAutostartLoginItem::startProgram(programs.filePath(running),
                                                     programs.filePath(installed)),
                 programs.filePath(expected));
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

// The autostart entry on real files, in a throwaway $XDG_CONFIG_HOME.

#include "platform/XdgAutostartLoginItem.h"

#include "support/ChildProcess.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace lullwick;

class XdgAutostartLoginItemTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    const QString m_folder = m_config.filePath(QStringLiteral("autostart"));
    const QString m_entry = m_folder + QStringLiteral("/org.lullwick.Lullwick.desktop");
    const QString m_program = QStringLiteral("/usr/bin/lullwick");

    // desktop-file-validate's complaints, and the Exec line.
    QString validatedExec() {
        test::ChildProcess validator(QStringLiteral("desktop-file-validate"), {m_entry});
        validator.wait(30000);
        const QString exec =
            QString::fromUtf8(readFile(m_entry)).section(QStringLiteral("\nExec="), 1);
        return validator.output() + validator.errors() + exec.section(u'\n', 0, 0);
    }

private slots:
    void init() { QDir(m_folder).removeRecursively(); }

    void theEntryStartsTheProgramWithItsOptions_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("exec");
        // clang-format off
        QTest::newRow("sleep commands") << QStringList{m_program, "--sleep-command", "/usr/local/bin/hibernate now", "--sleep-fallback", "/bin/true"} << "/usr/bin/lullwick --sleep-command \"/usr/local/bin/hibernate now\" --sleep-fallback /bin/true";
        QTest::newRow("reserved characters") << QStringList{"/opt/100%/$x\"y\\z/lw"} << "\"/opt/100%%/\\\\$x\\\\\"y\\\\\\\\z/lw\"";
        // A line break in the path must not smuggle in a key.
        QTest::newRow("line break") << QStringList{"/opt/a\nHidden=true/lw"} << "\"/opt/a\\nHidden=true/lw\"";
        // clang-format on
    }
    void theEntryStartsTheProgramWithItsOptions() {
        QFETCH(QStringList, command);
        XdgAutostartLoginItem item(m_entry, command.first(), command.mid(1));
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QTEST(validatedExec(), "exec");
        QVERIFY(XdgAutostartLoginItem(m_entry).isEnabled()); // as at the next start
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!QFile::exists(m_entry) && !item.isEnabled());
        QCOMPARE(item.setEnabled(false), std::nullopt); // nothing to remove is no failure
    }

    // Only keys of the main group count, not the action's; every other line stays as the user
    // wrote it.
    void someoneElsesEntryIsSwitchedInPlaceAndKept_data() {
        QTest::addColumn<QByteArray>("users");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QByteArray>("switchedOn");
        QTest::addColumn<QByteArray>("switchedOff");
        const QByteArray exec = "Exec=/opt/lw --sleep-command /usr/local/bin/nap\n";
        const QByteArray action = "[Desktop Action quit]\nName=Quit\nHidden=true\nExec=true\n";
        // clang-format off
        QTest::newRow("GNOME off") << "# mine\n[Desktop Entry]\n" + exec + "X-GNOME-Autostart-enabled=false\nActions=quit;\n" + action << false << "# mine\n[Desktop Entry]\n" + exec + "X-GNOME-Autostart-enabled=true\nActions=quit;\n" + action << "# mine\n[Desktop Entry]\n" + exec + "X-GNOME-Autostart-enabled=true\nActions=quit;\nHidden=true\n" + action;
        QTest::newRow("hidden, with spaces") << "[Desktop Entry]\n Hidden = true \n" + exec << false << "[Desktop Entry]\n" + exec << "[Desktop Entry]\n" + exec + "Hidden=true\n";
        // clang-format on
    }
    void someoneElsesEntryIsSwitchedInPlaceAndKept() {
        QFETCH(QByteArray, users);
        QVERIFY(writeFile(m_entry, users));
        XdgAutostartLoginItem item(m_entry, m_program);
        QTEST(item.isEnabled(), "enabled");
        for (bool enabled : {true, false, true}) {
            QCOMPARE(item.setEnabled(enabled), std::nullopt);
            QCOMPARE(item.isEnabled(), enabled);
            QTEST(readFile(m_entry), enabled ? "switchedOn" : "switchedOff");
        }
    }

    // A link is replaced by a file of our own, never written through; a dangling one removed.
    void linksAreReplacedNotWrittenThrough() {
        const QString elsewhere = m_config.filePath(QStringLiteral("shared.desktop"));
        const QByteArray shared = "[Desktop Entry]\nType=Application\nName=L\nExec=lullwick\n";
        QVERIFY(writeFile(elsewhere, shared));
        QVERIFY(QDir().mkpath(m_folder) && QFile::link(elsewhere, m_entry));
        XdgAutostartLoginItem item(m_entry, m_program);
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!item.isEnabled() && !QFileInfo(m_entry).isSymLink());
        QCOMPARE(readFile(elsewhere), shared);
        QVERIFY(QFile::remove(m_entry) && QFile::link(m_config.filePath("gone"), m_entry));
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!QFileInfo(m_entry).isSymLink());
    }

    void blockedPlacesFailWithAReason() {
        // Root ignores permission bits, so plain files and folders are in the way instead.
        QVERIFY(writeFile(m_folder, "not a folder"));
        XdgAutostartLoginItem item(m_entry, m_program);
        QVERIFY(item.setEnabled(true).value_or(QString()).contains(m_folder));
        QVERIFY(QFile::remove(m_folder) && QDir().mkpath(m_entry));
        QVERIFY(item.setEnabled(false).value_or(QString()).contains(m_entry));
        QVERIFY(item.setEnabled(true));
    }

    // Cut short halfway, as a full disk would.
    void aWriteThatFailsHalfwayLeavesTheOldEntry() {
        QCOMPARE(XdgAutostartLoginItem(m_entry, m_program).setEnabled(true), std::nullopt);
        const QByteArray old = readFile(m_entry);
        const auto problem = withFileSizeLimit(old.size() / 2, [this] {
            return XdgAutostartLoginItem(m_entry, "/opt/lullwick/bin/lw").setEnabled(true);
        });
        QVERIFY(problem.value_or(QString()).contains(m_entry));
        QCOMPARE(readFile(m_entry), old);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void startProgramAndPlace() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QCOMPARE(XdgAutostartLoginItem::defaultEntryPath(), m_entry);
        const auto at = [this](const char* name) { return m_config.filePath(QLatin1String(name)); };
        for (const char* name : {"installed", "build"})
            QVERIFY(writeFile(at(name), "#!/bin/sh\n"));
        QVERIFY(QFile::link(at("installed"), at("link")));
        // The installed file reached through a link; a build tree; a program replaced by an
        // upgrade while it runs; nothing installed.
        QCOMPARE(XdgAutostartLoginItem::startProgram(at("link"), at("installed")), at("installed"));
        QCOMPARE(XdgAutostartLoginItem::startProgram(at("build"), at("installed")), at("build"));
        QCOMPARE(XdgAutostartLoginItem::startProgram(at("gone"), at("installed")), at("installed"));
        QCOMPARE(XdgAutostartLoginItem::startProgram(at("build"), at("absent")), at("build"));
    }
};

QTEST_GUILESS_MAIN(XdgAutostartLoginItemTest)
#include "XdgAutostartLoginItemTest.moc"

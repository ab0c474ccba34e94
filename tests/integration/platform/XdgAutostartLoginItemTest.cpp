// The autostart entry on real files, in a throwaway $XDG_CONFIG_HOME.

#include "platform/XdgAutostartLoginItem.h"

#include "support/FakeServices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace lullwick;

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// desktop-file-validate's verdict on the file: empty when valid.
QString validate(const QString& path) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return QStringLiteral("desktop-file-validate is missing (scripts/install-deps --test)");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {path});
    if (!process.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    if (process.exitCode() != 0)
        return output.isEmpty() ? QStringLiteral("invalid") : output;
    return output;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString execLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    return {};
}

} // namespace

class XdgAutostartLoginItemTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;

    QString autostartFolder() const { return m_config->path() + QStringLiteral("/autostart"); }
    QString entryPath() const {
        return autostartFolder() + QStringLiteral("/org.lullwick.Lullwick.desktop");
    }

private slots:
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
    }
    void cleanup() { m_config.reset(); }

    void entryLivesUnderTheConfigHome() {
        QCOMPARE(XdgAutostartLoginItem::defaultEntryPath(), entryPath());
    }

    void createdRemovedAndReread() {
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(!item.isEnabled());
        QVERIFY(!QDir(autostartFolder()).exists());

        QCOMPARE(item.setEnabled(true), std::nullopt);
        QVERIFY(QFile::exists(entryPath()));
        QVERIFY(item.isEnabled());
        QCOMPARE(validate(entryPath()), QString());
        QCOMPARE(execLine(entryPath()), QStringLiteral("/usr/bin/lullwick"));
        // A second item, as at the next start, reads what the first wrote.
        QVERIFY(XdgAutostartLoginItem(entryPath()).isEnabled());

        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!QFile::exists(entryPath()));
        QVERIFY(!item.isEnabled());
        QCOMPARE(item.setEnabled(false), std::nullopt); // nothing to remove is no failure
    }

    void switchedOffByEitherKey_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");
        const QByteArray head = "[Desktop Entry]\nType=Application\nName=Lullwick\n"
                                "Exec=/usr/bin/lullwick\n";
        QTest::newRow("plain") << head << true;
        QTest::newRow("Hidden=true") << head + "Hidden = true \n" << false;
        QTest::newRow("Hidden=false") << head + "Hidden=false\n" << true;
        QTest::newRow("GNOME disabled") << head + "X-GNOME-Autostart-enabled=false\n" << false;
        QTest::newRow("GNOME enabled") << head + "X-GNOME-Autostart-enabled=true\n" << true;
        QTest::newRow("Hidden in another group")
            << head + "[Desktop Action x]\nHidden=true\nX-GNOME-Autostart-enabled=false\n"
            << true;
    }
    void switchedOffByEitherKey() {
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        QVERIFY(QDir().mkpath(autostartFolder()));
        writeFile(entryPath(), entry);
        QCOMPARE(
            XdgAutostartLoginItem(entryPath(), QStringLiteral("/usr/bin/lullwick")).isEnabled(),
            enabled);
    }

    void someoneElsesEntryIsSwitchedInPlaceAndKept() {
        QVERIFY(QDir().mkpath(autostartFolder()));
        const QByteArray users =
            "# mine\n[Desktop Entry]\nType=Application\nName=Lullwick\n"
            "Exec=/opt/lullwick/bin/lullwick --sleep-command /usr/local/bin/nap\n"
            "X-GNOME-Autostart-enabled=false\nActions=quit;\n"
            "[Desktop Action quit]\nName=Quit\nExec=true\n";
        writeFile(entryPath(), users);
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(!item.isEnabled());

        QCOMPARE(item.setEnabled(true), std::nullopt);
        QVERIFY(item.isEnabled());
        QByteArray expected = users;
        expected.replace("X-GNOME-Autostart-enabled=false", "X-GNOME-Autostart-enabled=true");
        QCOMPARE(readFile(entryPath()), expected);

        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!item.isEnabled());
        expected.replace("Actions=quit;\n", "Actions=quit;\nHidden=true\n");
        QCOMPARE(readFile(entryPath()), expected);
        QCOMPARE(validate(entryPath()), QString());

        QCOMPARE(item.setEnabled(true), std::nullopt);
        expected.replace("Hidden=true\n", "");
        QCOMPARE(readFile(entryPath()), expected);
    }

    void linkToAnEntryElsewhereIsReplacedNotWrittenThrough() {
        QVERIFY(QDir().mkpath(autostartFolder()));
        const QString elsewhere = m_config->path() + QStringLiteral("/shared.desktop");
        const QByteArray shared =
            "[Desktop Entry]\nType=Application\nName=Lullwick\nExec=lullwick\n";
        writeFile(elsewhere, shared);
        QVERIFY(QFile::link(elsewhere, entryPath()));
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(item.isEnabled());

        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!item.isEnabled());
        QVERIFY(!QFileInfo(entryPath()).isSymLink());
        QCOMPARE(readFile(elsewhere), shared);
    }

    void entryStartsTheProgramWithItsSleepCommands() {
        XdgAutostartLoginItem item(
            entryPath(), QStringLiteral("/usr/bin/lullwick"),
            {QStringLiteral("--sleep-command"), QStringLiteral("/usr/local/bin/hibernate now"),
             QStringLiteral("--sleep-fallback"), QStringLiteral("/bin/true")});
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QCOMPARE(
            execLine(entryPath()),
            QStringLiteral("/usr/bin/lullwick --sleep-command \"/usr/local/bin/hibernate now\" "
                           "--sleep-fallback /bin/true"));
        QCOMPARE(validate(entryPath()), QString());
        // The next start's options replace the old ones.
        QCOMPARE(XdgAutostartLoginItem(entryPath(), QStringLiteral("/usr/bin/lullwick"))
                     .setEnabled(true),
                 std::nullopt);
        QCOMPARE(execLine(entryPath()), QStringLiteral("/usr/bin/lullwick"));
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
        const auto path = [this](const QString& name) { return m_config->path() + u'/' + name; };
        writeFile(path(QStringLiteral("installed")), "#!/bin/sh\n");
        writeFile(path(QStringLiteral("build")), "#!/bin/sh\n");
        QVERIFY(QFile::link(path(QStringLiteral("installed")), path(QStringLiteral("link"))));
        QCOMPARE(XdgAutostartLoginItem::startProgram(path(running), path(installed)),
                 path(expected));
    }

    void awkwardProgramPathsStayOneArgument_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("space") << QStringLiteral("/opt/my apps/lullwick")
                               << QStringLiteral("\"/opt/my apps/lullwick\"");
        QTest::newRow("percent") << QStringLiteral("/opt/100%/lullwick")
                                 << QStringLiteral("/opt/100%%/lullwick");
        QTest::newRow("dollar and quote") << QStringLiteral("/opt/$x\"y/lullwick")
                                          << QStringLiteral("\"/opt/\\\\$x\\\\\"y/lullwick\"");
        QTest::newRow("backslash") << QStringLiteral("/opt/a\\b/lullwick")
                                   << QStringLiteral("\"/opt/a\\\\\\\\b/lullwick\"");
        QTest::newRow("line break") << QStringLiteral("/opt/a\nHidden=true/lullwick")
                                    << QStringLiteral("\"/opt/a\\nHidden=true/lullwick\"");
    }
    void awkwardProgramPathsStayOneArgument() {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        XdgAutostartLoginItem item(entryPath(), program);
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QCOMPARE(execLine(entryPath()), exec);
        QVERIFY(item.isEnabled()); // a line break in the path must not smuggle in a key
        QCOMPARE(validate(entryPath()), QString());
    }

    void folderThatIsAFileFailsWithAReason() {
        // Root ignores permission bits, so the folder is blocked by a plain file instead.
        writeFile(autostartFolder(), "not a folder");
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        const std::optional<QString> reason = item.setEnabled(true);
        QVERIFY(reason);
        QVERIFY2(reason->contains(autostartFolder()), qPrintable(*reason));
        QVERIFY(!item.isEnabled());
    }

    void entryThatIsAFolderIsNotAnEntry() {
        QVERIFY(QDir().mkpath(entryPath() + QStringLiteral("/inside")));
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(!item.isEnabled());
        const std::optional<QString> removal = item.setEnabled(false);
        QVERIFY(removal);
        QVERIFY2(removal->contains(entryPath()), qPrintable(*removal));
        QVERIFY(item.setEnabled(true));
        QVERIFY(QDir(entryPath() + QStringLiteral("/inside")).exists());
    }

    void danglingLinkIsRemoved() {
        QVERIFY(QDir().mkpath(autostartFolder()));
        QVERIFY(QFile::link(m_config->path() + QStringLiteral("/gone.desktop"), entryPath()));
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(!item.isEnabled());
        QCOMPARE(item.setEnabled(false), std::nullopt);
        QVERIFY(!QFileInfo(entryPath()).isSymLink());
    }

    void stateObjectLogsAFailedChangeAndRereads() {
        writeFile(autostartFolder(), "not a folder");
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        FakeServices fakes;
        AppServices services = fakes.services();
        AppServices real{
            services.store,      services.log,     services.microphone, item,
            services.audioInput, services.wake,    services.clock,      services.sounds,
            services.inhibitors, services.sleeper, services.timers};
        AppState state(real, fakes.views());
        QVERIFY(!state.launchAtLogin());

        state.setLaunchAtLogin(true);
        QVERIFY(!state.launchAtLogin());
        QCOMPARE(fakes.log.lines.size(), 1);
        const QString prefix = QStringLiteral("Lullwick: login item change failed: ");
        QVERIFY2(fakes.log.lines.first().startsWith(prefix), qPrintable(fakes.log.lines.first()));
        QVERIFY(fakes.log.lines.first().size() > prefix.size());
    }

    void stateObjectReadsTheEntryAtStart() {
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        FakeServices fakes;
        AppServices services = fakes.services();
        AppServices real{
            services.store,      services.log,     services.microphone, item,
            services.audioInput, services.wake,    services.clock,      services.sounds,
            services.inhibitors, services.sleeper, services.timers};
        {
            AppState state(real, fakes.views());
            QVERIFY(!state.launchAtLogin());
            state.setLaunchAtLogin(true);
            QVERIFY(QFile::exists(entryPath()));
        }
        {
            AppState state(real, fakes.views());
            QVERIFY(state.launchAtLogin());
            state.setLaunchAtLogin(false);
            QVERIFY(!QFile::exists(entryPath()));
        }
        AppState state(real, fakes.views());
        QVERIFY(!state.launchAtLogin());
        QVERIFY(fakes.log.lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(XdgAutostartLoginItemTest)
#include "XdgAutostartLoginItemTest.moc"

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

    void hiddenEntryIsNotEnabled() {
        XdgAutostartLoginItem item(entryPath(), QStringLiteral("/usr/bin/lullwick"));
        QVERIFY(QDir().mkpath(autostartFolder()));
        writeFile(entryPath(), "[Desktop Entry]\nType=Application\nName=Lullwick\n"
                               "Exec=/usr/bin/lullwick\nHidden = true \n");
        QVERIFY(!item.isEnabled());
        // Hidden in another group does not count.
        writeFile(entryPath(), "[Desktop Entry]\nType=Application\nName=Lullwick\n"
                               "Exec=/usr/bin/lullwick\n[Desktop Action x]\nHidden=true\n");
        QVERIFY(item.isEnabled());
        writeFile(entryPath(), "[Desktop Entry]\nHidden=false\n");
        QVERIFY(item.isEnabled());

        // Turning it on replaces a hidden entry with ours.
        writeFile(entryPath(), "[Desktop Entry]\nHidden=true\n");
        QCOMPARE(item.setEnabled(true), std::nullopt);
        QVERIFY(item.isEnabled());
        QCOMPARE(validate(entryPath()), QString());
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

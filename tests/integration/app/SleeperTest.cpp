#include "app/Sleeper.h"

#include "support/SmallFakes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace lullwick;

class SleeperTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // A stand-in sleep command: each run appends its arguments, one line, to NAME.log.
    QString script(const QString& name, const QString& then) {
        const QString path = m_dir.filePath(name);
        const QString log = QStringLiteral("#!/bin/sh\nline=$(printf '%s|' \"$@\")\n"
                                           "printf '%s\\n' \"$line\" >> '%1.log'\n");
        writeFile(path, (then.startsWith(u'#') ? then : log.arg(path) + then).toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // Children of this process still there, running or unreaped.
    static QByteArray children() {
        QFile file(QStringLiteral("/proc/self/task/%1/children").arg(getpid()));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : "unreadable";
    }
    QStringList runs(const QString& name) const {
        return QString::fromUtf8(readFile(m_dir.filePath(name + QStringLiteral(".log"))))
            .split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    // A bare name must not be looked up there.
    void initTestCase() {
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ":" + qgetenv("PATH"));
    }

    void fallbackOnlyWhenThePrimaryFails_data() {
        QTest::addColumn<QString>("primary");  // how the primary behaves
        QTest::addColumn<QString>("fallback"); // one that fails, none or missing
        QTest::addColumn<int>("primaryRuns");  // of two calls
        QTest::addColumn<int>("fallbackRuns");
        // clang-format off
        QTest::newRow("exits 0") << "exit 0" << "exit 1" << 2 << 0;
        QTest::newRow("exits 255") << "exit 255" << "exit 1" << 2 << 2;
        QTest::newRow("killed by a signal") << "kill -KILL $$" << "exit 1" << 2 << 2;
        QTest::newRow("not executable") << "not executable" << "exit 1" << 0 << 2;
        QTest::newRow("bad interpreter") << "#!/nonexistent/interpreter\n" << "exit 1" << 0 << 2;
        QTest::newRow("a bare name, even on PATH") << "bare" << "exit 1" << 0 << 2;
        QTest::newRow("exits 1, no fallback") << "exit 1" << "none" << 2 << 0;
        QTest::newRow("exits 1, fallback missing") << "exit 1" << "missing" << 2 << 0;
        // clang-format on
    }
    void fallbackOnlyWhenThePrimaryFails() {
        QFETCH(QString, primary);
        QFETCH(QString, fallback);
        QFETCH(int, primaryRuns);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        // Arguments go to the program unchanged, never through a shell; the fallback's status
        // leads nowhere.
        const QString absent = m_dir.filePath(QStringLiteral("absent"));
        const QString path = primary == QLatin1String("bare")
                                 ? QStringLiteral("primary")
                                 : script(QStringLiteral("primary"), primary);
        if (primary == QLatin1String("not executable"))
            QFile::setPermissions(path, QFile::ReadOwner);
        const QString fallbackPath =
            fallback == QLatin1String("missing") ? absent : script("fallback", "exit 1");
        std::optional<Sleeper::Command> fallbackCommand;
        if (fallback != QLatin1String("none"))
            fallbackCommand = Sleeper::Command{fallbackPath, {}};
        FakeSystemLog log;
        Sleeper sleeper({path, {"two words", "$HOME;*", ""}}, fallbackCommand, log);
        sleeper.sleepNow();
        sleeper.sleepNow();
        // Every child is reaped and its handle freed.
        QTRY_VERIFY_WITH_TIMEOUT(sleeper.findChildren<QProcess*>().isEmpty(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(children(), QByteArray(), 30000);
        QCOMPARE(runs(QStringLiteral("primary")), QStringList(primaryRuns, "two words|$HOME;*||"));
        QTEST(int(runs(QStringLiteral("fallback")).size()), "fallbackRuns");
        // Each failure of the primary is one line naming it and what follows; success is silent.
        QCOMPARE(log.lines.size(), primary == QLatin1String("exit 0") ? 0 : 2);
        QCOMPARE(log.lines.filter(path), log.lines);
        QCOMPARE(log.lines.filter(fallbackPath).size(), fallbackCommand ? log.lines.size() : 0);
    }
};

QTEST_GUILESS_MAIN(SleeperTest)
#include "SleeperTest.moc"

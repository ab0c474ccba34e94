#include "app/Sleeper.h"

#include "support/FakeSystemLog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace lullwick;

namespace {

// Long enough for a child to start and exit on a loaded machine.
constexpr int settleTimeoutMs = 30000;

// Harmless stand-ins for the sleep commands: each run appends its arguments, one line, to
// NAME.log in the folder, then behaves as told.
class Scripts {
public:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString write(const QString& name, const QString& then,
                  QFile::Permissions permissions = executable) {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(file.fileName()));
        // One short append per run, so that runs at the same time never mix their lines.
        file.write(QStringLiteral("#!/bin/sh\nline=$(printf '%s|' \"$@\")\n"
                                  "printf '%s\\n' \"$line\" >> '%1.log'\n%2\n")
                       .arg(path(name), then)
                       .toUtf8());
        file.close();
        file.setPermissions(permissions);
        return path(name);
    }

    // The argument lines of every run so far.
    QStringList runs(const QString& name) const {
        QFile file(path(name) + QStringLiteral(".log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    static constexpr QFile::Permissions executable =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;

private:
    QTemporaryDir m_dir;
};

// Children of this process that are still there, running or unreaped.
QStringList childProcesses() {
    QStringList children;
    const QString self = QString::number(getpid());
    const auto entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid …; comm may hold spaces, so read after its closing bracket.
        const QString line = QString::fromUtf8(stat.readAll());
        const QStringList fields = line.mid(line.lastIndexOf(u')') + 2).split(u' ');
        if (fields.size() > 1 && fields[1] == self)
            children.append(entry + u' ' + fields[0]);
    }
    return children;
}

} // namespace

class SleeperTest : public QObject {
    Q_OBJECT

private slots:
    void fallbackOnlyWhenPrimaryFails_data();
    void fallbackOnlyWhenPrimaryFails();
    void missingPrimaryStartsFallbackAtOnce();
    void bothMissing();
    void twoCallsAreIndependent();
    void argumentsReachProgramUnchanged();

private:
    // Waits until every child the sleeper started has been reaped and its handle freed.
    static void settle(Sleeper& sleeper) {
        QTRY_VERIFY_WITH_TIMEOUT(sleeper.findChildren<QProcess*>().isEmpty(), settleTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(childProcesses(), QStringList(), settleTimeoutMs);
    }
};

void SleeperTest::fallbackOnlyWhenPrimaryFails_data() {
    QTest::addColumn<QString>("primary"); // how the primary behaves
    QTest::addColumn<bool>("hasFallback");
    QTest::addColumn<int>("primaryRuns");
    QTest::addColumn<int>("fallbackRuns");

    QTest::newRow("exits 0") << "exit 0" << true << 1 << 0;
    QTest::newRow("exits 1") << "exit 1" << true << 1 << 1;
    QTest::newRow("exits 255") << "exit 255" << true << 1 << 1;
    QTest::newRow("killed by a signal") << "kill -KILL $$" << true << 1 << 1;
    QTest::newRow("missing") << "missing" << true << 0 << 1;
    QTest::newRow("not executable") << "not executable" << true << 0 << 1;
    QTest::newRow("bad interpreter") << "bad interpreter" << true << 0 << 1;
    QTest::newRow("a directory") << "directory" << true << 0 << 1;
    QTest::newRow("exits 0, no fallback") << "exit 0" << false << 1 << 0;
    QTest::newRow("exits 1, no fallback") << "exit 1" << false << 1 << 0;
    QTest::newRow("missing, no fallback") << "missing" << false << 0 << 0;
}

void SleeperTest::fallbackOnlyWhenPrimaryFails() {
    QFETCH(QString, primary);
    QFETCH(bool, hasFallback);
    QFETCH(int, primaryRuns);
    QFETCH(int, fallbackRuns);

    Scripts scripts;
    QString primaryPath = scripts.write(QStringLiteral("primary"), primary);
    if (primary == QLatin1String("missing")) {
        QFile::remove(primaryPath);
    } else if (primary == QLatin1String("not executable")) {
        scripts.write(QStringLiteral("primary"), QStringLiteral("exit 0"),
                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    } else if (primary == QLatin1String("bad interpreter")) {
        // Executable, but exec fails: only the child can tell.
        QFile file(primaryPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("#!/nonexistent/interpreter\nexit 0\n");
    } else if (primary == QLatin1String("directory")) {
        QFile::remove(primaryPath);
        QVERIFY(QDir().mkpath(primaryPath));
    }
    // The fallback fails too: its status must be ignored, not lead anywhere.
    const QString fallbackPath =
        scripts.write(QStringLiteral("fallback"), QStringLiteral("exit 1"));

    FakeSystemLog log;
    std::optional<Sleeper::Command> fallback;
    if (hasFallback)
        fallback = Sleeper::Command{fallbackPath, {}};
    Sleeper sleeper({primaryPath, {QStringLiteral("suspend")}}, fallback, log);
    sleeper.sleepNow();
    settle(sleeper);

    QCOMPARE(scripts.runs(QStringLiteral("primary")).size(), primaryRuns);
    QCOMPARE(scripts.runs(QStringLiteral("fallback")).size(), fallbackRuns);
    // Every failure of the primary is one line naming it; success is silent.
    const bool failed = primary != QLatin1String("exit 0");
    QCOMPARE(log.lines.size(), failed ? 1 : 0);
    if (failed) {
        QVERIFY2(log.lines[0].contains(primaryPath) && !log.lines[0].contains(u'\n'),
                 qPrintable(log.lines[0]));
        QCOMPARE(log.lines[0].contains(fallbackPath), hasFallback);
    }
}

void SleeperTest::missingPrimaryStartsFallbackAtOnce() {
    Scripts scripts;
    const QString fallbackPath =
        scripts.write(QStringLiteral("fallback"), QStringLiteral("exit 0"));
    // A bare name is not looked up in PATH, even where a program of that name is found.
    const QString onPath = scripts.write(QStringLiteral("lullwick-test-primary"), {});
    qputenv("PATH", QFile::encodeName(QFileInfo(onPath).path()) + ":" + qgetenv("PATH"));

    for (const QString& primary :
         {scripts.path(QStringLiteral("missing")), QStringLiteral("lullwick-test-primary")}) {
        FakeSystemLog log;
        Sleeper sleeper({primary, {}}, Sleeper::Command{fallbackPath, {}}, log);
        sleeper.sleepNow();
        // Started inside sleepNow(), with no primary child at all.
        const auto started = sleeper.findChildren<QProcess*>();
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.first()->program(), fallbackPath);
        settle(sleeper);
    }
    QCOMPARE(scripts.runs(QStringLiteral("fallback")).size(), 2);
    QCOMPARE(scripts.runs(QStringLiteral("lullwick-test-primary")).size(), 0);
}

void SleeperTest::bothMissing() {
    Scripts scripts;
    FakeSystemLog log;
    Sleeper sleeper({scripts.path(QStringLiteral("primary")), {}},
                    Sleeper::Command{scripts.path(QStringLiteral("fallback")), {}}, log);
    sleeper.sleepNow();
    QVERIFY(sleeper.findChildren<QProcess*>().isEmpty());
    settle(sleeper);
}

void SleeperTest::twoCallsAreIndependent() {
    Scripts scripts;
    const QString fallbackPath =
        scripts.write(QStringLiteral("fallback"), QStringLiteral("exit 0"));

    const QString failing = scripts.write(QStringLiteral("failing"), QStringLiteral("exit 1"));
    FakeSystemLog log;
    Sleeper failingSleeper({failing, {}}, Sleeper::Command{fallbackPath, {}}, log);
    failingSleeper.sleepNow();
    failingSleeper.sleepNow();
    settle(failingSleeper);
    QCOMPARE(scripts.runs(QStringLiteral("failing")).size(), 2);
    QCOMPARE(scripts.runs(QStringLiteral("fallback")).size(), 2);

    const QString working = scripts.write(QStringLiteral("working"), QStringLiteral("exit 0"));
    Sleeper workingSleeper({working, {}}, Sleeper::Command{fallbackPath, {}}, log);
    workingSleeper.sleepNow();
    workingSleeper.sleepNow();
    settle(workingSleeper);
    QCOMPARE(scripts.runs(QStringLiteral("working")).size(), 2);
    QCOMPARE(scripts.runs(QStringLiteral("fallback")).size(), 2);
}

void SleeperTest::argumentsReachProgramUnchanged() {
    Scripts scripts;
    const QString primary = scripts.write(QStringLiteral("primary"), QStringLiteral("exit 3"));
    const QString fallback = scripts.write(QStringLiteral("fallback"), QStringLiteral("exit 0"));
    // Nothing here may be split, expanded or run by a shell.
    const QStringList tricky{QStringLiteral("suspend"), QStringLiteral("two words"),
                             QStringLiteral("$HOME"),   QStringLiteral("\"quoted\"; exit 9"),
                             QStringLiteral("*"),       QString()};
    FakeSystemLog log;
    Sleeper sleeper({primary, tricky},
                    Sleeper::Command{fallback, {QStringLiteral("-e"), QStringLiteral("x y")}}, log);
    sleeper.sleepNow();
    settle(sleeper);
    QCOMPARE(scripts.runs(QStringLiteral("primary")),
             QStringList{QStringLiteral("suspend|two words|$HOME|\"quoted\"; exit 9|*||")});
    QCOMPARE(scripts.runs(QStringLiteral("fallback")), QStringList{QStringLiteral("-e|x y|")});
}

QTEST_GUILESS_MAIN(SleeperTest)
#include "SleeperTest.moc"

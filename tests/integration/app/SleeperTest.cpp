#include "app/Sleeper.h"

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
    QTest::addColumn<int>("primaryRuns");
    QTest::addColumn<int>("fallbackRuns");

    QTest::newRow("exits 0") << "exit 0" << 1 << 0;
    QTest::newRow("exits 1") << "exit 1" << 1 << 1;
    QTest::newRow("exits 255") << "exit 255" << 1 << 1;
    QTest::newRow("killed by a signal") << "kill -KILL $$" << 1 << 1;
    QTest::newRow("missing") << "missing" << 0 << 1;
    QTest::newRow("not executable") << "not executable" << 0 << 1;
    QTest::newRow("bad interpreter") << "bad interpreter" << 0 << 1;
    QTest::newRow("a directory") << "directory" << 0 << 1;
}

void SleeperTest::fallbackOnlyWhenPrimaryFails() {
    QFETCH(QString, primary);
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

    Sleeper sleeper({primaryPath, {QStringLiteral("suspend")}}, {fallbackPath, {}});
    sleeper.sleepNow();
    settle(sleeper);

    QCOMPARE(scripts.runs(QStringLiteral("primary")).size(), primaryRuns);
    QCOMPARE(scripts.runs(QStringLiteral("fallback")).size(), fallbackRuns);
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
        Sleeper sleeper({primary, {}}, {fallbackPath, {}});
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
    Sleeper sleeper({scripts.path(QStringLiteral("primary")), {}},
                    {scripts.path(QStringLiteral("fallback")), {}});
    sleeper.sleepNow();
    QVERIFY(sleeper.findChildren<QProcess*>().isEmpty());
    settle(sleeper);
}

void SleeperTest::twoCallsAreIndependent() {
    Scripts scripts;
    const QString fallbackPath =
        scripts.write(QStringLiteral("fallback"), QStringLiteral("exit 0"));

    const QString failing = scripts.write(QStringLiteral("failing"), QStringLiteral("exit 1"));
    Sleeper failingSleeper({failing, {}}, {fallbackPath, {}});
    failingSleeper.sleepNow();
    failingSleeper.sleepNow();
    settle(failingSleeper);
    QCOMPARE(scripts.runs(QStringLiteral("failing")).size(), 2);
    QCOMPARE(scripts.runs(QStringLiteral("fallback")).size(), 2);

    const QString working = scripts.write(QStringLiteral("working"), QStringLiteral("exit 0"));
    Sleeper workingSleeper({working, {}}, {fallbackPath, {}});
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
    Sleeper sleeper({primary, tricky}, {fallback, {QStringLiteral("-e"), QStringLiteral("x y")}});
    sleeper.sleepNow();
    settle(sleeper);
    QCOMPARE(scripts.runs(QStringLiteral("primary")),
             QStringList{QStringLiteral("suspend|two words|$HOME|\"quoted\"; exit 9|*||")});
    QCOMPARE(scripts.runs(QStringLiteral("fallback")), QStringList{QStringLiteral("-e|x y|")});
}

QTEST_GUILESS_MAIN(SleeperTest)
#include "SleeperTest.moc"

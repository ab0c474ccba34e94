#include "app/Sleeper.h"

#include "support/FakeSystemLog.h"

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
        QFile file(m_dir.filePath(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        const QString log = QStringLiteral("#!/bin/sh\nline=$(printf '%s|' \"$@\")\n"
                                           "printf '%s\\n' \"$line\" >> '%1.log'\n");
        file.write((then.startsWith(u'#') ? then : log.arg(file.fileName()) + then).toUtf8());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file.fileName();
    }
    // Children of this process still there, running or unreaped.
    static int children() {
        int count = 0;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            // pid (comm) state ppid …; comm may hold spaces, so read after its bracket.
            const QString line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QString();
            count += line.mid(line.lastIndexOf(u')') + 2).section(u' ', 1, 1) ==
                     QString::number(getpid());
        }
        return count;
    }
    QStringList runs(const QString& name) const {
        QFile file(m_dir.filePath(name + QStringLiteral(".log")));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void fallbackOnlyWhenThePrimaryFails_data() {
        QTest::addColumn<QString>("primary"); // how the primary behaves
        QTest::addColumn<bool>("hasFallback");
        QTest::addColumn<int>("primaryRuns"); // of two calls
        QTest::addColumn<int>("fallbackRuns");
        QTest::newRow("exits 0") << "exit 0" << true << 2 << 0;
        QTest::newRow("exits 255") << "exit 255" << true << 2 << 2;
        QTest::newRow("killed by a signal") << "kill -KILL $$" << true << 2 << 2;
        QTest::newRow("missing") << "missing" << true << 0 << 2;
        QTest::newRow("not executable") << "not executable" << true << 0 << 2;
        QTest::newRow("bad interpreter") << "#!/nonexistent/interpreter\n" << true << 0 << 2;
        QTest::newRow("a directory") << "directory" << true << 0 << 2;
        QTest::newRow("a bare name, even on PATH") << "bare" << true << 0 << 2;
        QTest::newRow("exits 0, no fallback") << "exit 0" << false << 2 << 0;
        QTest::newRow("exits 1, no fallback") << "exit 1" << false << 2 << 0;
        QTest::newRow("missing, no fallback") << "missing" << false << 0 << 0;
    }
    void fallbackOnlyWhenThePrimaryFails() {
        QFETCH(QString, primary);
        QFETCH(bool, hasFallback);
        QFETCH(int, primaryRuns);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        QString path = script(QStringLiteral("primary"), primary);
        if (primary == QLatin1String("missing"))
            QFile::remove(path);
        if (primary == QLatin1String("not executable"))
            QFile::setPermissions(path, QFile::ReadOwner);
        if (primary == QLatin1String("directory"))
            path = m_dir.path();
        if (primary == QLatin1String("bare")) {
            qputenv("PATH", QFile::encodeName(m_dir.path()) + ":" + qgetenv("PATH"));
            path = QStringLiteral("primary");
        }
        // Arguments go to the program unchanged, never through a shell; the fallback fails
        // too, and its status leads nowhere.
        const QStringList tricky{QStringLiteral("two words"), QStringLiteral("$HOME;*"), QString()};
        const QString fallback = script(QStringLiteral("fallback"), QStringLiteral("exit 1"));
        FakeSystemLog log;
        Sleeper sleeper(
            {path, tricky},
            hasFallback ? std::optional<Sleeper::Command>({fallback, {}}) : std::nullopt, log);
        sleeper.sleepNow();
        sleeper.sleepNow();
        // Every child is reaped and its handle freed.
        QTRY_VERIFY_WITH_TIMEOUT(sleeper.findChildren<QProcess*>().isEmpty(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(children(), 0, 30000);
        QCOMPARE(runs(QStringLiteral("primary")), QStringList(primaryRuns, "two words|$HOME;*||"));
        QTEST(int(runs(QStringLiteral("fallback")).size()), "fallbackRuns");
        // Each failure of the primary is one line naming it and what follows; success is silent.
        const bool failed = primary != QLatin1String("exit 0");
        QCOMPARE(log.lines.size(), failed ? 2 : 0);
        for (const QString& line : log.lines)
            QVERIFY2(line.contains(path) && line.contains(fallback) == hasFallback,
                     qPrintable(line));
    }

    void aMissingFallbackIsSkipped() {
        FakeSystemLog log;
        Sleeper sleeper({m_dir.filePath(QStringLiteral("a")), {}},
                        Sleeper::Command{m_dir.filePath(QStringLiteral("b")), {}}, log);
        sleeper.sleepNow();
        QVERIFY(sleeper.findChildren<QProcess*>().isEmpty());
    }
};

QTEST_GUILESS_MAIN(SleeperTest)
#include "SleeperTest.moc"

#include "cli/CommandLine.h"

#include <QTest>

using namespace lullwick;
using Mode = Invocation::Mode;

Q_DECLARE_METATYPE(lullwick::Invocation::Mode)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Sensitivity>("sensitivity");
        QTest::addColumn<QString>("file");
        const auto l = [](std::initializer_list<const char*> items) {
            QStringList list;
            for (const char* item : items)
                list << QString::fromLatin1(item);
            return list;
        };
        QTest::newRow("tray") << l({}) << Mode::tray << Sensitivity::medium << QString();
        QTest::newRow("analyze default") << l({"analyze", "a.wav"}) << Mode::analyze
                                         << Sensitivity::medium << QStringLiteral("a.wav");
        QTest::newRow("analyze high")
            << l({"analyze", "--sensitivity", "high", "a.wav"}) << Mode::analyze
            << Sensitivity::high << QStringLiteral("a.wav");
        QTest::newRow("option after file")
            << l({"analyze", "a.wav", "--sensitivity=low"}) << Mode::analyze << Sensitivity::low
            << QStringLiteral("a.wav");
        QTest::newRow("file named like a dash")
            << l({"analyze", "-"}) << Mode::analyze << Sensitivity::medium << QStringLiteral("-");
        QTest::newRow("help wins")
            << l({"analyze", "--help"}) << Mode::help << Sensitivity::medium << QString();
        QTest::newRow("version") << l({"--version"}) << Mode::version << Sensitivity::medium
                                 << QString();
        QTest::newRow("no file") << l({"analyze"}) << Mode::usageError << Sensitivity::medium
                                 << QString();
        QTest::newRow("bad sensitivity") << l({"analyze", "--sensitivity", "HIGH", "a.wav"})
                                         << Mode::usageError << Sensitivity::medium << QString();
        QTest::newRow("missing value") << l({"analyze", "a.wav", "--sensitivity"})
                                       << Mode::usageError << Sensitivity::medium << QString();
        QTest::newRow("two files") << l({"analyze", "a.wav", "b.wav"}) << Mode::usageError
                                   << Sensitivity::medium << QString();
        QTest::newRow("unknown option")
            << l({"--frobnicate"}) << Mode::usageError << Sensitivity::medium << QString();
        QTest::newRow("unknown command")
            << l({"analyse", "a.wav"}) << Mode::usageError << Sensitivity::medium << QString();
        QTest::newRow("sleep option in analyze")
            << l({"analyze", "--sleep-command", "/bin/true", "a.wav"}) << Mode::usageError
            << Sensitivity::medium << QString();
    }
    void parses() {
        QFETCH(QStringList, args);
        const Invocation invocation = parseCommandLine(args);
        QTEST(invocation.mode, "mode");
        if (invocation.mode == Mode::usageError) {
            QVERIFY(!invocation.error.isEmpty());
            return;
        }
        QTEST(invocation.sensitivity, "sensitivity");
        QTEST(invocation.file, "file");
    }

    void sleepCommandsAreTakenAsGiven() {
        const Invocation invocation =
            parseCommandLine({QStringLiteral("--sleep-command"), QStringLiteral("/opt/lock now"),
                              QStringLiteral("--sleep-fallback=/usr/bin/true")});
        QCOMPARE(invocation.mode, Mode::tray);
        QCOMPARE(invocation.sleepCommand, QStringLiteral("/opt/lock now"));
        QCOMPARE(invocation.sleepFallback, QStringLiteral("/usr/bin/true"));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "CommandLineTest.moc"

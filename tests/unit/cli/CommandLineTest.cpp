#include "cli/CommandLine.h"

#include <QTest>

using namespace lullwick;

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    // Parsed: mode, sensitivity, file, sleep command, fallback, trace; or "error".
    void parses_data() {
        QTest::addColumn<QString>("row"); // arguments => what was parsed
        QTest::newRow("tray") << " => tray medium";
        QTest::newRow("sleep programs")
            << "--sleep-command /a --sleep-fallback=/b --trace-latency => tray medium  /a /b trace";
        QTest::newRow("analyze") << "analyze a.wav => analyze medium a.wav";
        QTest::newRow("option after file") << "analyze - --sensitivity=low => analyze low -";
        QTest::newRow("listen") << "listen --sensitivity high => listen high";
        QTest::newRow("help wins") << "analyze -h => help medium";
        QTest::newRow("version") << "--version --nope => version medium";
        QTest::newRow("no file") << "analyze => error";
        QTest::newRow("capitals") << "analyze --sensitivity HIGH a.wav => error";
        QTest::newRow("no value") << "listen --sensitivity => error";
        QTest::newRow("no program") << "--sleep-command => error";
        QTest::newRow("two files") << "analyze a.wav b.wav => error";
        QTest::newRow("unknown option") << "--frobnicate => error";
        QTest::newRow("unknown command") << "analyse a.wav => error";
        QTest::newRow("sleep in analyze") << "analyze --sleep-command /a a.wav => error";
        QTest::newRow("sensitivity in tray") << "--sensitivity low => error";
    }
    void parses() {
        QFETCH(QString, row);
        const QStringList parts = row.split(QStringLiteral(" => "));
        const Invocation i = parseCommandLine(parts[0].split(u' ', Qt::SkipEmptyParts));
        static const char* const modes[] = {"tray", "analyze", "listen", "help", "version"};
        const QStringList fields{modes[std::min(int(i.mode), 4)],
                                 QString::fromLatin1(rawValue(i.sensitivity)),
                                 i.file,
                                 i.sleepCommand,
                                 i.sleepFallback,
                                 i.traceLatency ? QStringLiteral("trace") : QString()};
        if (i.mode == Invocation::Mode::usageError)
            QCOMPARE(i.error.isEmpty() ? "error without a reason" : "error", parts[1]);
        else
            QCOMPARE(fields.join(u' ').trimmed(), parts[1]);
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"

#pragma once

// The private sound server that scripts/with-sound-server starts around a test: a null sink,
// a remap source on its monitor as the default "microphone", driven with pactl and paplay.

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <csignal>

namespace lullwick::test {

class SoundServer {
public:
    static QString sink() { return qEnvironmentVariable("LULLWICK_TEST_SINK"); }
    static QString monitor() { return sink() + QStringLiteral(".monitor"); }
    static QString microphone() { return qEnvironmentVariable("LULLWICK_TEST_SOURCE"); }

    // Runs a program to its end; its output, or a null string when it failed.
    static QString run(const QString& program, const QStringList& args) {
        QProcess process;
        process.start(program, args);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return {};
        const QString output = QString::fromUtf8(process.readAllStandardOutput());
        return output.isNull() ? QStringLiteral("") : output;
    }
    static QString pactl(const QStringList& args) { return run(QStringLiteral("pactl"), args); }
    static bool setDefaultSource(const QString& name) {
        return !pactl({QStringLiteral("set-default-source"), name}).isNull();
    }

    // Plays a recorded scene into the sink and returns once it has been played.
    static bool play(const QString& scene) {
        const QString file = QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(scene);
        return !run(QStringLiteral("paplay"), {QStringLiteral("-d"), sink(), file}).isNull();
    }

    // The record streams of clients, by index, with the source each is on (the microphone's
    // own stream on the sink's monitor is no client's).
    static QMap<QString, QString> captureStreams() {
        const auto rows = [](const QString& kind) {
            QList<QStringList> table;
            const QString listing = pactl({QStringLiteral("list"), QStringLiteral("short"), kind});
            for (const QString& line : listing.split(u'\n', Qt::SkipEmptyParts))
                table << line.split(u'\t');
            return table;
        };
        QMap<QString, QString> sources, streams;
        for (const QStringList& row : rows(QStringLiteral("sources")))
            sources.insert(row.value(0), row.value(1));
        for (const QStringList& row : rows(QStringLiteral("source-outputs")))
            if (row.value(3) == QLatin1String("protocol-native.c"))
                streams.insert(row.value(0), sources.value(row.value(1)));
        return streams;
    }

    // The running server's process.
    static pid_t serverPid() {
        QFile file(qEnvironmentVariable("LULLWICK_TEST_SERVER_PIDFILE"));
        return file.open(QIODevice::ReadOnly) ? pid_t(file.readAll().trimmed().toInt()) : 0;
    }
    // Kills the server outright, as a crash would, and returns once it is gone.
    static bool kill() {
        const pid_t pid = serverPid();
        if (pid <= 0 || ::kill(pid, SIGKILL) != 0)
            return false;
        return QTest::qWaitFor([] { return pactl({QStringLiteral("info")}).isNull(); }, 10000);
    }
    // Starts the server again and returns once it serves the microphone, kept clocking.
    bool restart() {
        if (!QProcess::startDetached(qEnvironmentVariable("LULLWICK_TEST_SERVER_START"), {}))
            return false;
        const bool ready = QTest::qWaitFor(
            [] { return pactl({QStringLiteral("get-default-source")}).trimmed() == microphone(); },
            10000);
        m_silence.waitForFinished();
        startSilence();
        return ready && m_silence.waitForStarted(10000);
    }

    // An idle null sink delays the first buffer by up to 2 s, which a real microphone does
    // not: silence played for the life of this object keeps the sink clocking.
    SoundServer() { startSilence(); }
    ~SoundServer() {
        m_silence.kill();
        m_silence.waitForFinished();
    }
    bool isReady() { return !microphone().isEmpty() && m_silence.waitForStarted(10000); }

private:
    void startSilence() {
        m_silence.startCommand(QStringLiteral("pacat --playback --latency-msec=20 --rate=48000 "
                                              "--channels=1 --format=float32le -d ") +
                               sink() + QStringLiteral(" /dev/zero"));
    }

    QProcess m_silence;
};

} // namespace lullwick::test

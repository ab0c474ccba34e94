#pragma once

// The private sound server that scripts/with-sound-server starts around a test: a null sink,
// a remap source on its monitor as the default "microphone", driven with pactl and paplay.

#include "support/ChildProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTest>

namespace lullwick::test {

class SoundServer {
public:
    static QString sink() { return qEnvironmentVariable("LULLWICK_TEST_SINK"); }
    static QString monitor() { return sink() + QStringLiteral(".monitor"); }
    static QString microphone() { return qEnvironmentVariable("LULLWICK_TEST_SOURCE"); }

    // Runs a program to its end; its output, or a null string when it failed.
    static QString run(const QString& program, const QStringList& args) {
        ChildProcess process(program, args);
        return process.wait() == 0 ? process.output().append(u'\n') : QString();
    }
    static QString pactl(const QStringList& args) { return run(QStringLiteral("pactl"), args); }
    static bool setDefaultSource(const QString& name) {
        return !pactl({QStringLiteral("set-default-source"), name}).isNull();
    }
    static bool play(const QString& scene) {
        const QString file = QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(scene);
        return !run(QStringLiteral("paplay"), {QStringLiteral("-d"), sink(), file}).isNull();
    }

    // The record streams of clients, by index, with the source each is on (the streams of the
    // server's own modules are no client's). What the computer plays, read beside the
    // microphone, is not among them: referenceStreams() lists it.
    static QMap<QString, QString> captureStreams() { return clientStreams(false); }
    static QMap<QString, QString> referenceStreams() { return clientStreams(true); }

    static pid_t serverPid() {
        return run("cat", {qEnvironmentVariable("LULLWICK_TEST_SERVER_PIDFILE")}).trimmed().toInt();
    }
    // Kills the server outright, as a crash would, and returns once it is gone.
    static bool kill() {
        const pid_t pid = serverPid();
        return pid > 0 && ::kill(pid, SIGKILL) == 0 &&
               QTest::qWaitFor([] { return pactl({QStringLiteral("info")}).isNull(); }, 10000);
    }
    // Starts the server again and returns once it serves the microphone, kept clocking.
    bool restart() {
        m_restarted.emplace(qEnvironmentVariable("LULLWICK_TEST_SERVER_START"), QStringList{});
        const bool ready =
            m_restarted->isStarted() &&
            QTest::qWaitFor([] { return pactl({"get-default-source"}).trimmed() == microphone(); },
                            10000);
        startSilence();
        return ready && m_silence->isStarted();
    }

    // An idle null sink delays the first buffer by up to 2 s, which a real microphone does
    // not: silence played for the life of this object keeps the sink clocking.
    SoundServer() { startSilence(); }
    bool isReady() { return !microphone().isEmpty() && m_silence->isStarted(); }

private:
    // The name Lullwick gives the stream that reads what the computer plays.
    static constexpr QLatin1StringView referenceName{"Played sound"};

    static QMap<QString, QString> clientStreams(bool reference) {
        QMap<QString, QString> sources, streams;
        for (const QString& line : pactl({"list", "short", "sources"}).split(u'\n'))
            sources.insert(line.section(u'\t', 0, 0), line.section(u'\t', 1, 1));
        const QJsonArray outputs =
            QJsonDocument::fromJson(pactl({"-f", "json", "list", "source-outputs"}).toUtf8())
                .array();
        for (const QJsonValue& output : outputs) {
            const QString name = output["properties"]["media.name"].toString();
            if (!output["client"].isString() || (name == referenceName) != reference)
                continue;
            streams.insert(QString::number(output["index"].toInt()),
                           sources.value(QString::number(output["source"].toInt())));
        }
        return streams;
    }

    void startSilence() {
        m_silence.emplace("pacat", QStringList{"--playback", "--latency-msec=20", "--rate=48000",
                                               "--channels=1", "--format=float32le", "-d", sink(),
                                               "/dev/zero"});
    }

    std::optional<ChildProcess> m_restarted; // killed with this object, as the script would
    std::optional<ChildProcess> m_silence;
};

} // namespace lullwick::test

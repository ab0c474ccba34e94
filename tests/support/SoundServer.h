#pragma once

// The private sound server that scripts/with-sound-server starts around a test, a room: the
// default sink is the speakers, claps are played into a second sink, the room, whose monitor,
// remapped, is the default source, the "microphone". Driven with pactl and paplay, and moves
// made as a mixer makes them.

#include "support/ChildProcess.h"
#include "support/SoundMixer.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace lullwick::test {

class SoundServer {
public:
    static QString room() { return qEnvironmentVariable("LULLWICK_TEST_ROOM"); }
    static QString roomMonitor() { return room() + QStringLiteral(".monitor"); }
    // The default sink: what plays there is the computer's own sound.
    static QString speakers() { return qEnvironmentVariable("LULLWICK_TEST_SPEAKERS"); }
    // The monitor of an output, which a microphone must never be taken for.
    static QString monitor() { return speakers() + QStringLiteral(".monitor"); }
    static bool isPipeWire() {
        return qEnvironmentVariable("LULLWICK_TEST_SOUND_SERVER") == QLatin1String("pipewire");
    }
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
    // Plays a scene into the room, where claps happen, or into another sink, and returns once
    // it has been played.
    static bool play(const QString& scene, const QString& sink = room()) {
        const QString file = QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(scene);
        return !run(QStringLiteral("paplay"), {QStringLiteral("-d"), sink, file}).isNull();
    }

    // The record streams of clients, by index, with the source each is on (the streams of the
    // server's own modules are no client's). What the computer plays, read beside the
    // microphone, is not among them: referenceStreams() lists it.
    static QMap<QString, QString> captureStreams() { return clientStreams(false); }
    static QMap<QString, QString> referenceStreams() { return clientStreams(true); }

    // Moves a client's record stream to another source as a user does in a mixer, and returns
    // once the move shows: the stream is on that source, or gone (its client closed it on being
    // moved).
    static bool moveStream(const QString& stream, const QString& source) {
        const QString target = sources().key(source); // empty when there is none
        SoundMixer mixer;                             // connected until then
        return !target.isEmpty() && mixer.moveSourceOutput(stream, source) &&
               QTest::qWaitFor(
                   [&] {
                       const std::optional<QString> on = sourceOf(stream);
                       return on && (on->isEmpty() || *on == target);
                   },
                   5000);
    }

    // Returns once what the sinks played so far has reached every record stream on `source`
    // (false when it cannot tell): a recorder of its own has taken in three of the largest
    // reads since.
    static bool reachedStreamsOn(const QString& source) {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("heard.raw"));
        ChildProcess recorder(QStringLiteral("parec"),
                              {"--raw", "--latency-msec=10", "--rate=48000", "--channels=1",
                               "--format=float32le", "-d", source, file});
        constexpr qint64 bytes = 3 * 4096 * sizeof(float);
        return recorder.isStarted() &&
               QTest::qWaitFor([&] { return QFileInfo(file).size() >= bytes; }, 10000);
    }

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
    // not: silence played into the room (never the speakers) for the life of this object
    // keeps it clocking.
    SoundServer() { startSilence(); }
    bool isReady() { return !microphone().isEmpty() && m_silence->isStarted(); }

private:
    // The name Lullwick gives the stream that reads what the computer plays.
    static constexpr QLatin1StringView referenceName{"Played sound"};

    // The sources' names by index.
    static QMap<QString, QString> sources() {
        QMap<QString, QString> names;
        for (const QString& line : pactl({"list", "short", "sources"}).split(u'\n'))
            names.insert(line.section(u'\t', 0, 0), line.section(u'\t', 1, 1));
        return names;
    }

    static QMap<QString, QString> clientStreams(bool reference) {
        const QMap<QString, QString> names = sources();
        QMap<QString, QString> streams;
        const QJsonArray outputs =
            QJsonDocument::fromJson(pactl({"-f", "json", "list", "source-outputs"}).toUtf8())
                .array();
        for (const QJsonValue& output : outputs) {
            const QString name = output["properties"]["media.name"].toString();
            if (!output["client"].isString() || (name == referenceName) != reference)
                continue;
            streams.insert(QString::number(output["index"].toInt()),
                           names.value(QString::number(output["source"].toInt())));
        }
        return streams;
    }

    // The index of the source a record stream is on, empty once it is gone; nothing when the
    // server cannot tell.
    static std::optional<QString> sourceOf(const QString& stream) {
        const QString listing = pactl({"list", "short", "source-outputs"});
        if (listing.isNull())
            return std::nullopt;
        for (const QString& line : listing.split(u'\n')) {
            if (line.section(u'\t', 0, 0) == stream)
                return line.section(u'\t', 1, 1);
        }
        return QString();
    }

    void startSilence() {
        m_silence.emplace("pacat", QStringList{"--playback", "--latency-msec=20", "--rate=48000",
                                               "--channels=1", "--format=float32le", "-d", room(),
                                               "/dev/zero"});
    }

    std::optional<ChildProcess> m_restarted; // killed with this object, as the script would
    std::optional<ChildProcess> m_silence;
};

} // namespace lullwick::test

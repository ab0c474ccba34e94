#pragma once

// The private sound server that scripts/with-sound-server starts around a test: a null sink,
// a remap source on its monitor as the default "microphone", driven with pactl and paplay.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <memory>

namespace lullwick::test {

class SoundServer {
public:
    static QString sink() { return qEnvironmentVariable("LULLWICK_TEST_SINK"); }
    static QString microphone() { return qEnvironmentVariable("LULLWICK_TEST_SOURCE"); }
    static bool isAvailable() { return !sink().isEmpty() && !microphone().isEmpty(); }

    static QString scene(const QString& name) {
        return QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(name);
    }

    // Runs pactl; an empty string with ok false when it fails.
    static QString pactl(const QStringList& args, bool* ok = nullptr) {
        QProcess process;
        process.start(QStringLiteral("pactl"), args);
        const bool finished = process.waitForFinished(10000);
        const bool success =
            finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (ok)
            *ok = success;
        return success ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
    }

    // The record streams of Lullwick, by the source each is on (one entry per stream).
    static QStringList lullwickStreamSources() {
        QStringList sources;
        const QString listing = pactl({QStringLiteral("list"), QStringLiteral("source-outputs")});
        for (const QString& block : listing.split(QStringLiteral("Source Output #"))) {
            if (!block.contains(QStringLiteral("application.name = \"Lullwick\"")))
                continue;
            const auto match =
                QRegularExpression(QStringLiteral("\\n\\s*Source: (\\d+)")).match(block);
            sources << sourceName(match.captured(1));
        }
        return sources;
    }

    static QString sourceName(const QString& index) {
        const QString listing =
            pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")});
        for (const QString& line : listing.split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() > 1 && fields[0] == index)
                return fields[1];
        }
        return QStringLiteral("#") + index;
    }

    // A second real "microphone" on the same monitor; returns its module index, or -1.
    static int loadMicrophone(const QString& name, const QString& description) {
        bool ok = false;
        const QString index = pactl(
            {QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
             QStringLiteral("source_name=") + name, QStringLiteral("master=%1.monitor").arg(sink()),
             QStringLiteral("source_properties=\"device.description='%1'\"").arg(description)},
            &ok);
        return ok ? index.trimmed().toInt() : -1;
    }

    // The module that owns a source, or -1.
    static int moduleOfSource(const QString& name) {
        const QString listing =
            pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")});
        for (const QString& line : listing.split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() > 2 &&
                fields[2].contains(QStringLiteral("source_name=") + name + u' '))
                return fields[0].toInt();
        }
        return -1;
    }

    static bool unloadModule(int index) {
        bool ok = false;
        pactl({QStringLiteral("unload-module"), QString::number(index)}, &ok);
        return ok;
    }

    static bool setDefaultSource(const QString& name) {
        bool ok = false;
        pactl({QStringLiteral("set-default-source"), name}, &ok);
        return ok;
    }

    static QString defaultSource() {
        return pactl({QStringLiteral("get-default-source")}).trimmed();
    }

    // Plays a file into the sink and returns once it has been played.
    static bool play(const QString& file) {
        QProcess process;
        process.start(QStringLiteral("paplay"), {QStringLiteral("-d"), sink(), file});
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    // An idle null sink delays the first buffer by up to 2 s, which a real microphone does
    // not: silence played while the test runs keeps the sink clocking.
    static std::unique_ptr<QProcess> keepSinkClocking() {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("pacat"),
                       {QStringLiteral("--playback"), QStringLiteral("-d"), sink(),
                        QStringLiteral("--latency-msec=20"), QStringLiteral("--rate=48000"),
                        QStringLiteral("--channels=1"), QStringLiteral("--format=float32le"),
                        QStringLiteral("/dev/zero")});
        if (!process->waitForStarted(10000))
            return nullptr;
        return process;
    }
};

} // namespace lullwick::test

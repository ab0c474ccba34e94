#include "AnalyzeCommand.h"

#include "AnalysisPlot.h"
#include "PlayedSoundReader.h"
#include "core/ClapDetector.h"
#include "core/FrameBlocker.h"
#include "platform/SoundFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <unistd.h>

namespace lullwick {
namespace {

constexpr std::size_t framesPerBuffer = ClapDetector::framesPerBuffer;
// Times are printed relative to this origin, far from zero like a real clock.
constexpr double clockOrigin = 1000000.0;
constexpr double progressAbove = 60.0;
constexpr QSize plotSize(1600, 600);
// After the played sound ends, its echo still reverberates in the room this long.
constexpr double playedTail = 0.5;

QString tr(const char* text) {
    return QCoreApplication::translate("AnalyzeCommand", text);
}

// JSON has no NaN or infinity; a broken file may hold them.
void printLevel(std::FILE* out, const char* name, float value) {
    if (std::isfinite(value))
        std::fprintf(out, ",\"%s\":%.9g", name, static_cast<double>(value));
    else
        std::fprintf(out, ",\"%s\":null", name);
}

// Text needs fonts, and fonts need a GUI application; without a display it is offscreen.
std::unique_ptr<QGuiApplication> guiForDrawing() {
    if (QCoreApplication::instance())
        return nullptr;
    static int argc = 3;
    static char name[] = "lullwick";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, platformOption, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

class Progress {
public:
    Progress(std::FILE* err, const QString& name, double seconds)
        : m_err(err), m_name(name), m_shown(seconds > progressAbove && isatty(fileno(err)) == 1) {}
    ~Progress() {
        if (m_shown && m_percent >= 0)
            std::fputs("\r\033[K", m_err);
    }

    void update(double fraction) {
        const int percent = static_cast<int>(fraction * 100.0);
        if (!m_shown || percent == m_percent)
            return;
        m_percent = percent;
        std::fprintf(m_err, "\r%s", qPrintable(tr("analysing %1: %2 %").arg(m_name).arg(percent)));
        std::fflush(m_err);
    }

private:
    std::FILE* m_err;
    QString m_name;
    bool m_shown;
    int m_percent = -1;
};

} // namespace

int runAnalyze(const QString& path, Sensitivity sensitivity, std::FILE* out, std::FILE* err) {
    AnalyzeOptions options;
    options.sensitivity = sensitivity;
    return runAnalyze(path, options, out, err);
}

int runAnalyze(const QString& path, const AnalyzeOptions& options, std::FILE* out, std::FILE* err) {
    QString error;
    const auto file = SoundFile::open(path, &error);
    if (!file) {
        std::fprintf(err, "lullwick: cannot read %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }

    std::unique_ptr<PlayedSoundReader> played;
    if (!options.referencePath.isEmpty()) {
        played = PlayedSoundReader::open(options.referencePath, file->sampleRate(), &error);
        if (!played) {
            std::fprintf(err, "lullwick: cannot read %s: %s\n", qPrintable(options.referencePath),
                         qPrintable(error));
            return 1;
        }
    }

    const bool jsonl = options.format == AnalyzeOptions::Format::jsonl;
    const bool traced = (jsonl && options.levels) || !options.plotPath.isEmpty();
    const QString name = QFileInfo(path).fileName();
    std::optional<AnalysisPlot> plot;
    if (!options.plotPath.isEmpty()) {
        const std::string_view level = rawValue(options.sensitivity);
        plot.emplace(
            tr("%1 — %2 sensitivity")
                .arg(name, QString::fromUtf8(level.data(), static_cast<qsizetype>(level.size()))),
            tuningFor(options.sensitivity));
        if (played)
            plot->showPlayedSound();
    }

    ClapDetector detector;
    detector.setTuning(tuningFor(options.sensitivity));
    double now = 0.0;
    // The time of the onset: with played sound, an onset may be judged after its buffer.
    auto report = [&](const char* kind) {
        const double t = detector.lastOnsetAt() - clockOrigin;
        if (jsonl)
            std::fprintf(out, "{\"event\":\"%s\",\"t\":%.6f}\n", kind, t);
        else
            std::fprintf(out, "%s %.6f\n", kind, t);
    };
    detector.setOnClap([&] {
        report("clap");
        if (plot)
            plot->addClap(detector.lastOnsetAt() - clockOrigin);
    });
    detector.setOnDoubleClap([&] {
        report("double-clap");
        if (plot)
            plot->addDoubleClap(detector.lastOnsetAt() - clockOrigin);
    });
    // Only a reference brings these, so the output without one stays as it always was.
    detector.setOnPlayedSound([&](double at) {
        if (jsonl)
            std::fprintf(out, "{\"event\":\"played-sound\",\"t\":%.6f}\n", at - clockOrigin);
        else
            std::fprintf(out, "played-sound %.6f\n", at - clockOrigin);
        if (plot)
            plot->addPlayedSound(at - clockOrigin);
    });
    detector.setSampleRate(file->sampleRate());
    detector.reset();

    const auto rate = static_cast<double>(file->sampleRate());
    // The played sound is fed ahead of what was heard, as far as the buffer about to be
    // analysed, so that every onset is judged at once and the output does not depend on how
    // the two are interleaved. Then silence for the tail of its echo, then nothing plays.
    std::array<float, framesPerBuffer> playedChunk{};
    std::size_t playedFed = 0;
    std::optional<std::size_t> playedEnd;
    bool playing = played != nullptr;
    auto feedPlayedUpTo = [&](std::size_t frames) {
        while (playing && playedFed < frames) {
            std::size_t got = playedEnd ? 0 : played->read(playedChunk);
            if (got == 0 && !playedEnd)
                playedEnd = playedFed;
            if (got == 0) {
                if (static_cast<double>(playedFed - *playedEnd) >= playedTail * rate) {
                    detector.endReference();
                    playing = false;
                    return;
                }
                playedChunk.fill(0.0f);
                got = playedChunk.size();
            }
            detector.feedReference(std::span<const float>(playedChunk.data(), got),
                                   clockOrigin + static_cast<double>(playedFed) / rate);
            playedFed += got;
        }
    };
    Progress progress(err, name, static_cast<double>(file->frames()) / rate);
    std::size_t framesBefore = 0;
    // Each buffer is analysed at its end, as if it had just been captured.
    auto analyse = [&](std::span<const float> block) {
        const double start = static_cast<double>(framesBefore) / rate;
        feedPlayedUpTo(framesBefore + block.size() + framesPerBuffer);
        framesBefore += block.size();
        now = clockOrigin + static_cast<double>(framesBefore) / rate;
        if (!traced) {
            detector.process(block, now);
        } else if (const auto trace = detector.processTraced(block, now)) {
            if (plot)
                plot->addBuffer(start, now - clockOrigin, *trace);
            // The buffer comes before the events it caused, which print during the step.
            if (jsonl && options.levels) {
                std::fprintf(out, "{\"t\":%.6f", now - clockOrigin);
                printLevel(out, "peak", trace->peak);
                printLevel(out, "rms", trace->rms);
                printLevel(out, "floor", trace->floor);
                printLevel(out, "threshold", trace->threshold);
                printLevel(out, "crest", trace->crest);
                std::fputs("}\n", out);
            }
        }
        if (file->frames() > 0)
            progress.update(static_cast<double>(framesBefore) /
                            static_cast<double>(file->frames()));
    };

    FrameBlocker blocker(framesPerBuffer);
    std::array<float, 4 * framesPerBuffer> chunk{};
    while (const std::size_t read = file->readChannel0(chunk))
        blocker.push(chunk.data(), read, 1, analyse);
    blocker.flush(analyse);

    if (played && !played->error().isEmpty()) {
        std::fprintf(err, "lullwick: cannot read %s: %s\n", qPrintable(options.referencePath),
                     qPrintable(played->error()));
        return 1;
    }
    if (!file->error().isEmpty()) {
        std::fprintf(err, "lullwick: cannot read %s: %s\n", qPrintable(path),
                     qPrintable(file->error()));
        return 1;
    }
    if (plot) {
        const auto gui = guiForDrawing();
        if (!plot->save(options.plotPath, plotSize, &error)) {
            std::fprintf(err, "lullwick: cannot write %s: %s\n", qPrintable(options.plotPath),
                         qPrintable(error));
            return 1;
        }
    }
    return std::fflush(out) == 0 ? 0 : 1;
}

} // namespace lullwick

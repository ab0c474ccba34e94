#include "AnalyzeCommand.h"

#include "core/ClapDetector.h"
#include "platform/SoundFile.h"

#include <array>

namespace lullwick {
namespace {

constexpr std::size_t framesPerBuffer = 1024;
// Times are printed relative to this origin, far from zero like a real clock.
constexpr double clockOrigin = 1000000.0;

} // namespace

int runAnalyze(const QString& path, Sensitivity sensitivity, std::FILE* out, std::FILE* err) {
    QString error;
    const auto file = SoundFile::open(path, &error);
    if (!file) {
        std::fprintf(err, "lullwick: cannot read %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }

    ClapDetector detector;
    detector.setTuning(tuningFor(sensitivity));
    double now = 0.0;
    detector.setOnClap([&] { std::fprintf(out, "clap %.6f\n", now - clockOrigin); });
    detector.setOnDoubleClap([&] { std::fprintf(out, "double-clap %.6f\n", now - clockOrigin); });
    detector.reset();

    std::array<float, framesPerBuffer> buffer{};
    const auto rate = static_cast<double>(file->sampleRate());
    std::size_t framesBefore = 0;
    for (;;) {
        std::size_t frames = 0;
        while (frames < buffer.size()) {
            const std::size_t read = file->readChannel0(std::span(buffer).subspan(frames));
            if (read == 0)
                break;
            frames += read;
        }
        if (frames == 0)
            break;
        now = clockOrigin + static_cast<double>(framesBefore + frames) / rate;
        detector.process(std::span<const float>(buffer.data(), frames), now);
        framesBefore += frames;
        if (frames < buffer.size())
            break;
    }
    if (!file->error().isEmpty()) {
        std::fprintf(err, "lullwick: cannot read %s: %s\n", qPrintable(path),
                     qPrintable(file->error()));
        return 1;
    }
    return std::fflush(out) == 0 ? 0 : 1;
}

} // namespace lullwick

// The clap analysis per 1024-frame buffer beside a plain two-pass loop, and the analysis of
// a whole file in multiples of real time.

#include "cli/AnalyzeCommand.h"
#include "core/ClapDetector.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <random>
#include <sndfile.h>
#include <vector>

using namespace lullwick;

namespace {

constexpr std::size_t frames = ClapDetector::framesPerBuffer;

std::vector<float> noiseBuffer(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    std::vector<float> buffer(count);
    for (float& x : buffer)
        x = noise(random);
    return buffer;
}

void BM_AnalysisStep(benchmark::State& state) {
    const std::vector<float> buffer = noiseBuffer(frames, 1);
    ClapDetector detector;
    detector.reset();
    double now = 1000000.0;
    for (auto _ : state) {
        detector.process(buffer, now);
        now += static_cast<double>(frames) / 48000.0;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnalysisStep);

// What the analysis would cost written the obvious way: a float peak loop, then a float
// sum-of-squares loop.
void BM_PlainTwoPass(benchmark::State& state) {
    const std::vector<float> buffer = noiseBuffer(frames, 1);
    for (auto _ : state) {
        const float* samples = buffer.data();
        benchmark::DoNotOptimize(samples);
        float peak = 0.0f;
        for (std::size_t i = 0; i < frames; ++i)
            peak = std::fmax(peak, std::fabs(samples[i]));
        float sum = 0.0f;
        for (std::size_t i = 0; i < frames; ++i)
            sum += samples[i] * samples[i];
        const float rms = std::sqrt(sum / static_cast<float>(frames));
        benchmark::DoNotOptimize(peak);
        benchmark::DoNotOptimize(rms);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainTwoPass);

// Ten minutes of 48 kHz mono noise with a clap pair every few seconds, in a float WAV.
void BM_AnalyzeFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.wav"));
    constexpr int rate = 48000;
    constexpr int seconds = 600;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    std::vector<float> second = noiseBuffer(rate, 2);
    for (int s = 0; s < seconds; ++s) {
        std::vector<float> chunk = second;
        if (s % 4 == 0) {
            chunk[1000] = 0.8f;
            chunk[1000 + rate / 3] = 0.8f;
        }
        sf_writef_float(file, chunk.data(), rate);
    }
    sf_close(file);

    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        if (runAnalyze(path, Sensitivity::medium, sink, stderr) != 0)
            state.SkipWithError("analysis failed");
    }
    std::fclose(sink);
    // Seconds of audio analysed per second of wall time: multiples of real time.
    state.counters["x_realtime"] = benchmark::Counter(double(seconds) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyzeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

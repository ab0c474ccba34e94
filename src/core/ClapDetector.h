#pragma once

#include "Settings.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace lullwick {

// The two onset thresholds, replaced as one unit while the audio thread reads them.
struct Tuning {
    float minPeak = 0.12f;
    float floorRatio = 6.0f;

    friend bool operator==(const Tuning&, const Tuning&) = default;
};

constexpr Tuning tuningFor(Sensitivity sensitivity) {
    switch (sensitivity) {
    case Sensitivity::low:
        return {0.22f, 8.0f};
    case Sensitivity::medium:
        return {0.12f, 6.0f};
    case Sensitivity::high:
        return {0.05f, 5.0f};
    }
    return {0.12f, 6.0f};
}

// Peak magnitude and RMS level of one block of samples, in 32-bit float.
struct Levels {
    float peak = 0.0f;
    float rms = 0.0f;
};

// One fused, vectorised pass over the samples. An empty block gives zeros.
Levels measureLevels(const float* samples, std::size_t count) noexcept;

// What the analysis of one buffer saw, for the tools that show it. The floor is the one the
// threshold was taken from, after this buffer adapted it.
struct BufferTrace {
    float peak = 0.0f;
    float rms = 0.0f;
    float floor = 0.0f;
    float threshold = 0.0f;
    float crest = 0.0f;
};

// Turns buffers of channel-0 samples into clap and double-clap events. The analysis step
// allocates nothing, locks nothing and does no I/O: it runs on the audio thread.
class ClapDetector {
public:
    using Callback = std::function<void()>;

    static constexpr float initialNoiseFloor = 0.004f;
    static constexpr float minNoiseFloor = 0.0015f;
    static constexpr float floorGate = 3.0f;
    static constexpr float floorKeep = 0.9f;
    static constexpr float floorTake = 0.1f;
    static constexpr float minRmsDivisor = 0.000001f;
    static constexpr float minCrestFactor = 2.2f;
    static constexpr double onsetRefractory = 0.12;
    static constexpr double doubleClapWindowMin = 0.15;
    static constexpr double doubleClapWindowMax = 0.75;
    static constexpr double triggerCooldown = 2.5;

    ClapDetector() noexcept;

    // Set once, before capture starts; invoked synchronously on the analysing thread.
    void setOnClap(Callback callback) { m_onClap = std::move(callback); }
    void setOnDoubleClap(Callback callback) { m_onDoubleClap = std::move(callback); }

    // Safe to call from any thread while another analyses.
    Tuning tuning() const noexcept;
    void setTuning(Tuning tuning) noexcept;

    // Back to idle, as at the start of capture; tuning and callbacks stay.
    void reset() noexcept;

    // Analyses one buffer at the given time (seconds, absolute clock).
    void process(std::span<const float> channel0, double now) noexcept;

    // Analyses one buffer, reading the clock after the levels are measured.
    template <typename Clock> void processNow(std::span<const float> channel0, Clock&& clock) {
        if (channel0.empty())
            return;
        const Levels levels = measureLevels(channel0.data(), channel0.size());
        analyse(levels, clock());
    }

    // As processNow(), and tells what the analysis saw; nothing when the buffer is empty.
    // A separate entry point, so that the audio path pays nothing for it.
    template <typename Clock>
    std::optional<BufferTrace> processNowTraced(std::span<const float> channel0, Clock&& clock) {
        if (channel0.empty())
            return std::nullopt;
        const Levels levels = measureLevels(channel0.data(), channel0.size());
        return analyseTraced(levels, clock());
    }
    std::optional<BufferTrace> processTraced(std::span<const float> channel0, double now) noexcept;

    float noiseFloor() const noexcept { return m_noiseFloor; }
    double lastOnsetAt() const noexcept { return m_lastOnsetAt; }
    std::optional<double> firstClapAt() const noexcept { return m_firstClapAt; }
    double cooldownUntil() const noexcept { return m_cooldownUntil; }

private:
    void analyse(Levels levels, double now) noexcept;
    BufferTrace analyseTraced(Levels levels, double now) noexcept;
    template <typename Observer> void step(Levels levels, double now, Observer&& observe) noexcept;

    Callback m_onClap;
    Callback m_onDoubleClap;
    // Both floats packed in one word: a reader sees either the old pair or the new one.
    std::atomic<std::uint64_t> m_tuning;

    float m_noiseFloor = initialNoiseFloor;
    double m_lastOnsetAt = 0.0;
    std::optional<double> m_firstClapAt;
    double m_cooldownUntil = 0.0;
};

} // namespace lullwick

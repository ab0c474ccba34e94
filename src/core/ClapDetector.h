#pragma once

#include "PlaybackGate.h"
#include "Settings.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace lullwick {

// The two onset thresholds, replaced as one unit while the audio thread reads them. The
// defaults are the medium sensitivity's.
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
        break;
    case Sensitivity::high:
        return {0.05f, 5.0f};
    }
    return {};
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

// Turns buffers of channel-0 samples into clap and double-clap events. The analysis itself
// allocates nothing, locks nothing and does no I/O, so that it can run on the audio thread;
// what an event costs there is its callbacks'.
class ClapDetector {
public:
    using Callback = std::function<void()>;

    // The buffer the live capture analyses, and the offline analysis with it, so that both
    // hear the same.
    static constexpr std::size_t framesPerBuffer = 1024;

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

    // Played sound older than this does not hold back the judgement of an onset any longer:
    // a played stream that stalls never keeps a clap from counting.
    static constexpr double referenceWait = 0.2;
    static constexpr std::size_t maxPendingOnsets = 16;
    // How long the analysis waits for played sound that was announced before it takes the
    // announcement back.
    static constexpr double expectedFor = 1.0;

    // Set once, before capture starts; invoked synchronously on the analysing thread, from
    // within the analysis.
    void setOnClap(Callback callback) { m_onClap = std::move(callback); }
    void setOnDoubleClap(Callback callback) { m_onDoubleClap = std::move(callback); }
    // An onset that was not accepted because the computer played it, with its time.
    void setOnPlayedSound(std::function<void(double)> callback) {
        m_onPlayedSound = std::move(callback);
    }

    // What the computer plays. Without it the analysis is exactly the plain one; with it, an
    // onset that the microphone heard only because the computer played it is not accepted.
    // The capture's frames per second, which the played sound is fed at too: set before
    // capture starts (before the first buffer), like the callbacks. 0 ignores played sound.
    void setSampleRate(int framesPerSecond) noexcept { m_gate.setSampleRate(framesPerSecond); }
    // On the analysing thread, between buffers: what the computer played, mono, at the
    // capture's rate, its first frame played at startTime (the clock of process()). It may
    // come later than the microphone's buffers of the same moment: an onset waits until the
    // played sound that can explain it is in, or referenceWait has passed since it. Pending
    // onsets may be accepted, and callbacks invoked, from within this call.
    void feedReference(std::span<const float> mono, double startTime) noexcept;
    // On the analysing thread: the computer began to play at about `since`, and its sound will
    // be fed. Whatever it played before the first of it that is fed is never known: onsets
    // heard from `since` until that first sound can explain them are taken for played sound,
    // all of them while it has not come, for at most expectedFor.
    void expectReference(double since) noexcept;
    // On the analysing thread: nothing plays any more. Pending onsets are judged now; from
    // here on the analysis is the plain one until played sound is fed again.
    void endReference() noexcept;
    const PlaybackGate& playbackGate() const noexcept { return m_gate; }

    // Safe to call from any thread while another analyses.
    Tuning tuning() const noexcept;
    void setTuning(Tuning tuning) noexcept;

    // Back to idle, as at the start of capture, played sound and what was learned from it
    // forgotten; tuning, callbacks and the sample rate stay.
    void reset() noexcept;

    // Analyses one buffer at the given time (seconds, absolute clock).
    void process(std::span<const float> channel0, double now) noexcept;

    // Analyses one buffer, reading the clock after the levels are measured.
    template <typename Clock> void processNow(std::span<const float> channel0, Clock&& clock) {
        if (channel0.empty())
            return;
        const Levels levels = measureLevels(channel0.data(), channel0.size());
        const double now = clock();
        if (m_gate.isActive())
            m_gate.feedHeard(channel0, now);
        analyse(levels, now, startOf(channel0, now));
    }

    // As processNow(), and tells what the analysis saw; nothing when the buffer is empty.
    // A separate entry point, so that the audio path pays nothing for it.
    template <typename Clock>
    std::optional<BufferTrace> processNowTraced(std::span<const float> channel0, Clock&& clock) {
        if (channel0.empty())
            return std::nullopt;
        const Levels levels = measureLevels(channel0.data(), channel0.size());
        const double now = clock();
        if (m_gate.isActive())
            m_gate.feedHeard(channel0, now);
        return analyseTraced(levels, now, startOf(channel0, now));
    }
    std::optional<BufferTrace> processTraced(std::span<const float> channel0, double now) noexcept;

    float noiseFloor() const noexcept { return m_noiseFloor; }
    double lastOnsetAt() const noexcept { return m_lastOnsetAt; }
    std::optional<double> firstClapAt() const noexcept { return m_firstClapAt; }
    double cooldownUntil() const noexcept { return m_cooldownUntil; }

private:
    // An onset candidate waiting for the played sound that can explain it.
    struct PendingOnset {
        double start;
        double now;
        float threshold;
    };

    double startOf(std::span<const float> channel0, double now) const noexcept {
        const int rate = m_gate.sampleRate();
        return rate > 0 ? now - static_cast<double>(channel0.size()) / rate : now;
    }
    void analyse(Levels levels, double now, double start) noexcept;
    BufferTrace analyseTraced(Levels levels, double now, double start) noexcept;
    template <typename Observer>
    void step(Levels levels, double now, double start, Observer&& observe) noexcept;
    void accept(double now) noexcept;
    void judgePending(bool all) noexcept;
    void judge(const PendingOnset& onset) noexcept;
    bool isPresumedPlayed(const PendingOnset& onset) const noexcept;

    Callback m_onClap;
    Callback m_onDoubleClap;
    std::function<void(double)> m_onPlayedSound;
    // Both floats packed in one word: a reader sees either the old pair or the new one.
    std::atomic<std::uint64_t> m_tuning;

    float m_noiseFloor = initialNoiseFloor;
    double m_lastOnsetAt = 0.0;
    std::optional<double> m_firstClapAt;
    double m_cooldownUntil = 0.0;

    PlaybackGate m_gate;
    std::array<PendingOnset, maxPendingOnsets> m_pending{};
    std::size_t m_pendingFirst = 0;
    std::size_t m_pendingCount = 0;
    // Since when played sound is announced, and when the first of it that was fed began.
    std::optional<double> m_expectedSince;
    std::optional<double> m_playedFrom;
};

} // namespace lullwick

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lullwick {

// Tells a sound that the microphone heard only because the computer played it from one that
// happened in the room. Both signals are reduced to level envelopes on a common time grid of
// short slots; while sound plays the gate learns the delay from the played sound to the
// microphone (from the onsets they share) and the coupling (how loud the played sound arrives),
// and judges a heard onset as played when the played sound, at that delay and coupling,
// explains its level above the lows. Envelopes rather than waveforms: the room reverberates and
// small speakers distort, so the microphone never hears an exact copy.
//
// Everything lives in fixed arrays: nothing is allocated, nothing locked, so it runs on the
// audio thread. Not thread-safe: one thread feeds and judges.
class PlaybackGate {
public:
    // 256 frames at 48 kHz: fine enough to tell a clap from the beat next to it.
    static constexpr double slotRate = 187.5;
    // Slots kept of both signals, about 5.5 s.
    static constexpr std::size_t slotCount = 1024;
    // Delays searched, 0 … 0.3 s: output latency, the air, input latency.
    static constexpr std::size_t lagCount = 57;
    static_assert(lagCount <= 64, "the believed delays are kept as bits of one word");
    // The longest that played sound takes to the microphone as far as the gate can tell: the
    // delays searched and the spread around them.
    static constexpr double longestDelay = static_cast<double>(lagCount + 2) / slotRate;
    // A heard slot counts as the room's own only when it is this much above what the played
    // sound explains (3.5 dB).
    static constexpr float margin = 1.5f;
    // Levels are compared above this frequency (Hz): a clap's sound is mostly there, most
    // music's is not, so a clap stands out over music that is louder than it.
    static constexpr int brightFrom = 1000;

    // Frames per second of both the microphone and the played sound; 0 switches the gate off.
    void setSampleRate(int framesPerSecond) noexcept;
    int sampleRate() const noexcept { return m_rate; }

    // True between the first played sound fed and end().
    bool isActive() const noexcept { return m_active; }

    // What the computer played, mono, its first frame played at startTime.
    void feedPlayed(std::span<const float> mono, double startTime) noexcept;
    // What the microphone heard, one buffer ending at endTime.
    void feedHeard(std::span<const float> channel0, double endTime) noexcept;
    // Nothing plays any more; what was learned is kept for the next time.
    void end() noexcept;
    // Forgets both signals and what was learned.
    void clear() noexcept;

    // Whether the played sound that a heard buffer start … end could be an echo of is in.
    bool covers(double end) const noexcept;
    // The latest time either signal has reached.
    double latestTime() const noexcept;
    // Whether the part of the heard buffer start … end that reaches threshold is explained by
    // the played sound. Played sound not yet fed counts as silence.
    bool isPlayed(double start, double end, float threshold) const noexcept;

    // What was learned: the delay in seconds once the played sound's onsets are found in the
    // microphone, and the coupling as a linear factor.
    std::optional<double> delay() const noexcept;
    float coupling() const noexcept;

private:
    struct Slot {
        std::int64_t index = -1;
        float peak = 0.0f;
        // The peak above the lows, where a clap's sound is and most music's is not.
        float bright = 0.0f;
        float sumSquares = 0.0f;
        std::uint32_t frames = 0;
        // Played sound only, set when the slot is complete: the bright peak held with a release as
        // long as a room's reverberation, and the rise of the level since the slot before.
        float held = 0.0f;
        float rise = 0.0f;
    };
    using Ring = std::array<Slot, slotCount>;
    // A second-order high-pass, run on each signal as it is fed.
    struct HighPass {
        float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
        float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
        float operator()(float x) noexcept {
            const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            return y;
        }
        void restart() noexcept { x1 = x2 = y1 = y2 = 0.0f; }
    };

    static std::int64_t slotAt(double t) noexcept;
    static Slot& slot(Ring& ring, std::int64_t index) noexcept;
    static const Slot* find(const Ring& ring, std::int64_t index) noexcept;
    void accumulate(Ring& ring, HighPass& filter, std::span<const float> samples,
                    double startTime) noexcept;
    void completePlayed(std::int64_t upTo) noexcept;
    void completeHeard(std::int64_t upTo) noexcept;
    void learn(std::int64_t index) noexcept;
    // Played slots that can reach a heard slot at the given delays (a bit each) or, before a
    // delay is known, at any: as distances back from it, shifted by the spread (bit d: slot
    // index − d + lagSpread).
    std::uint64_t reach(std::uint64_t lags) const noexcept;
    // The played sound's held peak that can reach heard slot index from the reach given.
    float explaining(std::int64_t index, std::uint64_t reach) const noexcept;
    // The played sound's own peak there; 0 before a delay is known.
    float direct(std::int64_t index, std::uint64_t reach) const noexcept;

    int m_rate = 0;
    bool m_active = false;
    Ring m_played{};
    Ring m_heard{};
    HighPass m_playedFilter{};
    HighPass m_heardFilter{};
    // First slot of each signal not yet complete; first heard slot not yet learned from.
    std::int64_t m_playedDone = 0;
    std::int64_t m_heardDone = -1;
    std::int64_t m_learnNext = -1;
    double m_playedEnd = 0.0;
    double m_heardEnd = 0.0;
    float m_playedHeld = 0.0f;
    float m_playedRms = 0.0f;
    float m_heardRms = 0.0f;
    // A slowly released maximum of the played level: only loud played sound teaches coupling.
    float m_playedLoud = 0.0f;

    // Correlation of the heard rises with the played rises per delay, slowly forgotten.
    std::array<float, lagCount> m_correlation{};
    std::uint32_t m_evidence = 0;
    // The learned delay in slots, or -1; and every delay believed beside it, one bit each. A
    // beat repeats, so a delay a beat away correlates nearly as well as the true one, and
    // early on it may even lead: each of them is believed until the true one stands out.
    int m_lag = -1;
    std::uint64_t m_lags = 0;
    // Natural log of an upper quantile of heard ÷ explaining peak: starts at 0 dB, the loudest
    // a speaker can be, and learns down.
    float m_logCoupling = 0.0f;
    // Played onsets the coupling was learned from, up to where it has settled.
    std::uint32_t m_couplingLearned = 0;
    // The coupling before each of the last heard slots was learned from: an onset is judged by
    // the coupling from before it, not one its own slots taught.
    struct CouplingAt {
        std::int64_t index = -1;
        float log = 0.0f;
    };
    static constexpr std::size_t couplingKept = 128;
    static_assert((couplingKept & (couplingKept - 1)) == 0);
    std::array<CouplingAt, couplingKept> m_couplingBefore{};
};

} // namespace lullwick

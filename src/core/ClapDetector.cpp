#include "ClapDetector.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace lullwick {
namespace {

static_assert(std::atomic<std::uint64_t>::is_always_lock_free);

std::uint64_t pack(Tuning tuning) {
    const auto peak = std::bit_cast<std::uint32_t>(tuning.minPeak);
    const auto ratio = std::bit_cast<std::uint32_t>(tuning.floorRatio);
    return (std::uint64_t{peak} << 32) | ratio;
}

Tuning unpack(std::uint64_t word) {
    return {std::bit_cast<float>(static_cast<std::uint32_t>(word >> 32)),
            std::bit_cast<float>(static_cast<std::uint32_t>(word))};
}

// Four lanes, and four independent accumulators of them, keep the adder and comparator
// pipelines busy. The sums are added in a different order than a scalar loop would; the
// levels differ only in the last bits, which the thresholds tolerate.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

inline Float4 load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline Float4 abs4(Float4 v) {
    const Int4 mask = {0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff};
    return reinterpret_cast<Float4>(reinterpret_cast<Int4>(v) & mask);
}

inline Float4 max4(Float4 a, Float4 b) {
    return a > b ? a : b;
}

inline float onsetThreshold(Tuning tuning, float noiseFloor) {
    return std::fmax(tuning.minPeak, noiseFloor * tuning.floorRatio);
}

inline float crestFactor(Levels levels) {
    const float divisor =
        levels.rms <= ClapDetector::minRmsDivisor ? ClapDetector::minRmsDivisor : levels.rms;
    return levels.peak / divisor;
}

// The live path's observer: compiled away.
struct NoObserver {
    void operator()(Levels, float, float) const noexcept {}
};

} // namespace

Levels measureLevels(const float* samples, std::size_t count) noexcept {
    if (count == 0)
        return {};
    Float4 peak0{}, peak1{}, peak2{}, peak3{};
    Float4 sum0{}, sum1{}, sum2{}, sum3{};
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const Float4 a = load4(samples + i);
        const Float4 b = load4(samples + i + 4);
        const Float4 c = load4(samples + i + 8);
        const Float4 d = load4(samples + i + 12);
        peak0 = max4(peak0, abs4(a));
        peak1 = max4(peak1, abs4(b));
        peak2 = max4(peak2, abs4(c));
        peak3 = max4(peak3, abs4(d));
        sum0 += a * a;
        sum1 += b * b;
        sum2 += c * c;
        sum3 += d * d;
    }
    const Float4 peakV = max4(max4(peak0, peak1), max4(peak2, peak3));
    const Float4 sumV = (sum0 + sum1) + (sum2 + sum3);
    float peak = std::fmax(std::fmax(peakV[0], peakV[1]), std::fmax(peakV[2], peakV[3]));
    float sum = (sumV[0] + sumV[1]) + (sumV[2] + sumV[3]);
    for (; i < count; ++i) {
        const float x = samples[i];
        peak = std::fmax(peak, std::fabs(x));
        sum += x * x;
    }
    return {peak, std::sqrt(sum / static_cast<float>(count))};
}

ClapDetector::ClapDetector() noexcept : m_tuning(pack(tuningFor(Sensitivity::medium))) {}

Tuning ClapDetector::tuning() const noexcept {
    return unpack(m_tuning.load(std::memory_order_relaxed));
}

// Relaxed is enough: the word is the whole message, nothing else is published with it.
void ClapDetector::setTuning(Tuning tuning) noexcept {
    m_tuning.store(pack(tuning), std::memory_order_relaxed);
}

void ClapDetector::reset() noexcept {
    m_noiseFloor = initialNoiseFloor;
    m_lastOnsetAt = 0.0;
    m_firstClapAt.reset();
    m_cooldownUntil = 0.0;
    m_gate.clear();
    m_pendingFirst = m_pendingCount = 0;
    m_expectedSince.reset();
    m_playedFrom.reset();
}

// The one analysis step; an observer sees the levels, the floor and the threshold before any
// onset test.
template <typename Observer>
void ClapDetector::step(Levels levels, double now, double start, Observer&& observe) noexcept {
    const float rms = levels.rms;
    const float peak = levels.peak;

    // A loud buffer never pulls the floor up; quiet ones move it a tenth of the way.
    if (rms < m_noiseFloor * floorGate)
        m_noiseFloor = std::fmax(rms * floorTake + m_noiseFloor * floorKeep, minNoiseFloor);

    // Observed, the threshold is needed during the cooldown too; the live path takes it only
    // after the cooldown test, as it always has.
    constexpr bool observed = !std::is_same_v<std::decay_t<Observer>, NoObserver>;
    float threshold = 0.0f;
    if constexpr (observed) {
        threshold = onsetThreshold(tuning(), m_noiseFloor);
        observe(levels, m_noiseFloor, threshold);
    }

    // While the computer plays, an onset is judged once the played sound that can explain it
    // is in; the levels tests do not depend on earlier onsets and are made now.
    if (m_gate.isActive() || m_pendingCount > 0 || m_expectedSince) {
        if constexpr (!observed)
            threshold = onsetThreshold(tuning(), m_noiseFloor);
        if (peak >= threshold && crestFactor(levels) >= minCrestFactor) {
            if (m_pendingCount == maxPendingOnsets)
                judgePending(false);
            if (m_pendingCount == maxPendingOnsets) {
                judge(m_pending[m_pendingFirst]);
                m_pendingFirst = (m_pendingFirst + 1) % maxPendingOnsets;
                --m_pendingCount;
            }
            m_pending[(m_pendingFirst + m_pendingCount) % maxPendingOnsets] = {start, now,
                                                                               threshold};
            ++m_pendingCount;
        }
        judgePending(!m_gate.isActive());
        return;
    }

    if (now < m_cooldownUntil)
        return;
    if constexpr (!observed)
        threshold = onsetThreshold(tuning(), m_noiseFloor);
    if (peak < threshold)
        return;
    if (crestFactor(levels) < minCrestFactor)
        return;

    // A suppressed onset leaves lastOnsetAt alone, so one long clap counts once.
    if (now - m_lastOnsetAt < onsetRefractory)
        return;
    accept(now);
}

void ClapDetector::accept(double now) noexcept {
    m_lastOnsetAt = now;
    if (m_onClap)
        m_onClap();

    if (!m_firstClapAt) {
        m_firstClapAt = now;
        return;
    }
    const double gap = now - *m_firstClapAt;
    if (gap < doubleClapWindowMin || gap > doubleClapWindowMax) {
        m_firstClapAt = now;
        return;
    }
    m_firstClapAt.reset();
    m_cooldownUntil = now + triggerCooldown;
    if (m_onDoubleClap)
        m_onDoubleClap();
}

// In order of arrival, so that the refractory time and the pairing see the onsets as the
// plain analysis would.
void ClapDetector::judgePending(bool all) noexcept {
    while (m_pendingCount > 0) {
        const PendingOnset& onset = m_pending[m_pendingFirst];
        if (!all && !m_gate.covers(onset.now) && m_gate.latestTime() - onset.now < referenceWait)
            return;
        const PendingOnset ready = onset;
        m_pendingFirst = (m_pendingFirst + 1) % maxPendingOnsets;
        --m_pendingCount;
        judge(ready);
    }
}

void ClapDetector::judge(const PendingOnset& onset) noexcept {
    if (onset.now < m_cooldownUntil || onset.now - m_lastOnsetAt < onsetRefractory)
        return;
    if (isPresumedPlayed(onset) || m_gate.isPlayed(onset.start, onset.now, onset.threshold)) {
        if (m_onPlayedSound)
            m_onPlayedSound(onset.now);
        return;
    }
    accept(onset.now);
}

bool ClapDetector::isPresumedPlayed(const PendingOnset& onset) const noexcept {
    if (!m_expectedSince || onset.now < *m_expectedSince)
        return false;
    if (!m_playedFrom)
        return onset.now < *m_expectedSince + expectedFor;
    return onset.start < *m_playedFrom + PlaybackGate::longestDelay;
}

void ClapDetector::expectReference(double since) noexcept {
    if (m_gate.isActive() || !std::isfinite(since))
        return;
    m_expectedSince = since;
    m_playedFrom.reset();
}

void ClapDetector::feedReference(std::span<const float> mono, double startTime) noexcept {
    if (m_expectedSince && !m_playedFrom && !mono.empty())
        m_playedFrom = startTime;
    m_gate.feedPlayed(mono, startTime);
    judgePending(false);
}

void ClapDetector::endReference() noexcept {
    m_gate.end();
    judgePending(true);
    m_expectedSince.reset();
    m_playedFrom.reset();
}

void ClapDetector::process(std::span<const float> channel0, double now) noexcept {
    processNow(channel0, [now] { return now; });
}

std::optional<BufferTrace> ClapDetector::processTraced(std::span<const float> channel0,
                                                       double now) noexcept {
    return processNowTraced(channel0, [now] { return now; });
}

void ClapDetector::analyse(Levels levels, double now, double start) noexcept {
    step(levels, now, start, NoObserver{});
}

BufferTrace ClapDetector::analyseTraced(Levels levels, double now, double start) noexcept {
    BufferTrace trace;
    step(levels, now, start, [&trace](Levels seen, float noiseFloor, float threshold) {
        trace = {seen.peak, seen.rms, noiseFloor, threshold, crestFactor(seen)};
    });
    return trace;
}

} // namespace lullwick

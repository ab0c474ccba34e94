#include "PlaybackGate.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace lullwick {
namespace {

constexpr std::size_t slotMask = PlaybackGate::slotCount - 1;
static_assert((PlaybackGate::slotCount & slotMask) == 0);

// 60 dB in a second, per slot: slower than most rooms' reverberation; the coupling learned
// covers a longer tail.
const float heldRelease = static_cast<float>(std::pow(10.0, -3.0 / PlaybackGate::slotRate));
// The loudness that decides what teaches coupling forgets over about ten seconds.
const float loudRelease = static_cast<float>(std::exp(-1.0 / (10.0 * PlaybackGate::slotRate)));
// Delays are judged from about the last eight seconds of played sound.
const float correlationKeep = static_cast<float>(std::exp(-1.0 / (8.0 * PlaybackGate::slotRate)));
// Below this, played sound is silence.
constexpr float quiet = 0.001f;
// Coupling is learned only where the played sound is this share of its recent loudness, so
// that the room's own noise in quiet passages does not count as coupling.
constexpr float loudShare = 0.25f;
constexpr float onsetShare = 0.5f;
// An upper quantile, learned in steps of log units: 0.95 with steps of 0.2 moves down 0.01 and
// up 0.19, so a second or two of played sound takes it from 0 dB to the room's coupling. That
// high, because the held level explains more than the room makes of most slots; only at the
// played onsets does it show the coupling (0.8 learned -5 dB from an exact copy).
constexpr float couplingQuantile = 0.95f;
constexpr float settlingStep = 0.2f;
// Once that many played onsets have taught it, half the step: the larger one followed each
// passage of the music within a fraction of a second, to 3 dB under the room's coupling after
// a soft one, and the next loud onsets counted as claps.
constexpr float steadyStep = 0.1f;
constexpr std::uint32_t settlingSlots = 375;
constexpr float outlierStep = 0.02f;
const float logMargin = std::log(PlaybackGate::margin);
constexpr float minLogCoupling = -9.2f; // −80 dB: nothing couples, headphones
constexpr float maxLogCoupling = 1.4f;  // +12 dB: a microphone next to the speaker
// A delay is believed after half a second of played onsets, once its correlation stands out.
constexpr std::uint32_t minEvidence = 96;
constexpr float lagContrast = 1.5f;
// Delays that reach this share of the best one's correlation are believed as well.
constexpr float rivalShare = 0.5f;
// Slots either side of the learned delay: the grid, and a live clock's jitter.
constexpr int lagSpread = 2;
// Until the delay is known the coupling is the prior of 0 dB, and a speaker that distorts puts
// more above the lows than it was given: 6 dB more is asked of the room then.
constexpr float unknownDelaySlack = 2.0f;
// A heard level far above what the played sound explains raises the coupling only where the
// heard level rose with the played onset, by this much over four slots (21 ms) before.
constexpr int riseSlots = 4;
constexpr float riseFactor = 1.2f;

} // namespace

std::int64_t PlaybackGate::slotAt(double t) noexcept {
    return static_cast<std::int64_t>(std::floor(t * slotRate));
}

PlaybackGate::Slot& PlaybackGate::slot(Ring& ring, std::int64_t index) noexcept {
    Slot& entry = ring[static_cast<std::size_t>(index) & slotMask];
    if (entry.index != index)
        entry = Slot{index};
    return entry;
}

const PlaybackGate::Slot* PlaybackGate::find(const Ring& ring, std::int64_t index) noexcept {
    const Slot& entry = ring[static_cast<std::size_t>(index) & slotMask];
    return entry.index == index ? &entry : nullptr;
}

void PlaybackGate::setSampleRate(int framesPerSecond) noexcept {
    m_rate = std::max(framesPerSecond, 0);
    HighPass filter;
    if (m_rate > 2 * brightFrom) {
        // Butterworth, after the audio EQ cookbook.
        const double w = 2.0 * std::numbers::pi * brightFrom / m_rate;
        const double alpha = std::sin(w) / std::numbers::sqrt2;
        const double c = std::cos(w);
        const double a0 = 1.0 + alpha;
        filter.b0 = static_cast<float>((1.0 + c) / 2.0 / a0);
        filter.b1 = static_cast<float>(-(1.0 + c) / a0);
        filter.b2 = filter.b0;
        filter.a1 = static_cast<float>(-2.0 * c / a0);
        filter.a2 = static_cast<float>((1.0 - alpha) / a0);
    }
    m_playedFilter = m_heardFilter = filter;
}

void PlaybackGate::accumulate(Ring& ring, HighPass& filter, std::span<const float> samples,
                              double startTime) noexcept {
    const double rate = m_rate;
    std::size_t i = 0;
    while (i < samples.size()) {
        const double t = startTime + static_cast<double>(i) / rate;
        const std::int64_t index = slotAt(t);
        const double boundary = static_cast<double>(index + 1) / slotRate;
        const double until = std::ceil((boundary - t) * rate);
        const std::size_t run = std::min(
            samples.size() - i, until < 1.0 ? std::size_t{1} : static_cast<std::size_t>(until));
        Slot& entry = ring[static_cast<std::size_t>(index) & slotMask];
        // Older than what the ring holds there: too late to matter.
        if (entry.index <= index) {
            if (entry.index != index)
                entry = Slot{index};
            float peak = entry.peak;
            float bright = entry.bright;
            float sum = 0.0f;
            for (std::size_t j = i; j < i + run; ++j) {
                const float x = samples[j];
                peak = std::fmax(peak, std::fabs(x));
                bright = std::fmax(bright, std::fabs(filter(x)));
                sum += x * x;
            }
            entry.peak = peak;
            entry.bright = bright;
            entry.sumSquares += sum;
            entry.frames += static_cast<std::uint32_t>(run);
        } else {
            for (std::size_t j = i; j < i + run; ++j)
                filter(samples[j]);
        }
        i += run;
    }
}

void PlaybackGate::feedPlayed(std::span<const float> mono, double startTime) noexcept {
    if (m_rate == 0 || mono.empty() || !std::isfinite(startTime))
        return;
    if (!m_active) {
        // What was learned stays; the signals start over.
        m_active = true;
        const std::int64_t first = slotAt(startTime);
        if (first > m_playedDone) {
            m_playedDone = first;
            m_playedHeld = m_playedRms = 0.0f;
        }
        m_heardDone = m_learnNext = -1;
        m_playedFilter.restart();
        m_heardFilter.restart();
    }
    accumulate(m_played, m_playedFilter, mono, startTime);
    m_playedEnd = std::max(m_playedEnd, startTime + static_cast<double>(mono.size()) / m_rate);
    completePlayed(slotAt(m_playedEnd));
}

void PlaybackGate::feedHeard(std::span<const float> channel0, double endTime) noexcept {
    if (!m_active || channel0.empty() || !std::isfinite(endTime))
        return;
    const double start = endTime - static_cast<double>(channel0.size()) / m_rate;
    if (m_heardDone < 0) {
        m_heardDone = slotAt(start);
        m_learnNext = std::max(m_heardDone, m_playedDone);
    }
    accumulate(m_heard, m_heardFilter, channel0, start);
    m_heardEnd = std::max(m_heardEnd, endTime);
    completeHeard(slotAt(m_heardEnd));
}

void PlaybackGate::completePlayed(std::int64_t upTo) noexcept {
    // After a long gap only the last ring's worth matters.
    if (upTo - m_playedDone > static_cast<std::int64_t>(slotCount)) {
        m_playedDone = upTo - static_cast<std::int64_t>(slotCount);
        m_playedHeld = m_playedRms = 0.0f;
    }
    for (; m_playedDone < upTo; ++m_playedDone) {
        Slot& entry = slot(m_played, m_playedDone);
        const float rms = entry.frames > 0
                              ? std::sqrt(entry.sumSquares / static_cast<float>(entry.frames))
                              : 0.0f;
        entry.rise = std::fmax(rms - m_playedRms, 0.0f);
        m_playedRms = rms;
        m_playedHeld = std::fmax(entry.bright, m_playedHeld * heldRelease);
        entry.held = m_playedHeld;
        m_playedLoud = std::fmax(m_playedHeld, m_playedLoud * loudRelease);
    }
    if (m_heardDone >= 0) {
        const std::int64_t learnable = std::min(m_playedDone, m_heardDone);
        if (learnable - m_learnNext > static_cast<std::int64_t>(slotCount))
            m_learnNext = learnable - static_cast<std::int64_t>(slotCount);
        for (; m_learnNext < learnable; ++m_learnNext)
            learn(m_learnNext);
    }
}

void PlaybackGate::completeHeard(std::int64_t upTo) noexcept {
    m_heardDone = std::max(m_heardDone, upTo);
    completePlayed(slotAt(m_playedEnd));
}

void PlaybackGate::learn(std::int64_t index) noexcept {
    m_couplingBefore[static_cast<std::size_t>(index) & (couplingKept - 1)] = {index, m_logCoupling};
    // A gap in what was heard teaches nothing: silence there is not the room's.
    const Slot* heard = find(m_heard, index);
    if (heard == nullptr || heard->frames == 0) {
        m_heardRms = 0.0f;
        return;
    }
    const float peak = heard->bright;
    const float rms = std::sqrt(heard->sumSquares / static_cast<float>(heard->frames));
    const float rise = std::fmax(rms - m_heardRms, 0.0f);
    m_heardRms = rms;
    if (m_playedLoud < quiet)
        return;

    // The delay: where the heard level rises as the played level rose, lag slots before.
    std::size_t best = 0;
    float sum = 0.0f;
    for (std::size_t lag = 0; lag < lagCount; ++lag) {
        const Slot* played = find(m_played, index - static_cast<std::int64_t>(lag));
        const float playedRise = played != nullptr ? played->rise : 0.0f;
        float& c = m_correlation[lag];
        c = c * correlationKeep + rise * playedRise;
        sum += c;
        if (c > m_correlation[best])
            best = lag;
    }
    if (m_evidence < minEvidence)
        ++m_evidence;
    const float mean = sum / static_cast<float>(lagCount);
    if (m_evidence >= minEvidence && m_correlation[best] > 0.0f) {
        std::uint64_t rivals = 0;
        for (std::size_t lag = 0; lag < lagCount; ++lag) {
            if (m_correlation[lag] >= rivalShare * m_correlation[best])
                rivals |= std::uint64_t{1} << lag;
        }
        if (m_correlation[best] >= lagContrast * mean) {
            m_lag = static_cast<int>(best);
            m_lags = rivals;
        } else if (m_lag >= 0) {
            // The room's own sound (a voice, music of its own) rises where nothing was played
            // and blurs the correlation for a while, but the delay does not change with it: the
            // one learned stays, with the rivals it has now, until one stands out again.
            m_lags = (std::uint64_t{1} << m_lag) | rivals;
        }
    }

    // The coupling: an upper quantile of what is heard over what the played sound explains.
    // Only where the played sound itself is loud at that delay, not in its held tail: what
    // the room makes of a played onset is the coupling.
    // At the best delay alone: were the others believed too, their tails would make the
    // played sound explain more than it does where a clap is judged, after a quiet moment.
    const std::uint64_t atBest = reach(m_lag >= 0 ? std::uint64_t{1} << m_lag : 0);
    const float explained = explaining(index, atBest);
    if (explained < quiet || explained < loudShare * m_playedLoud ||
        direct(index, atBest) < onsetShare * explained)
        return;
    const float ratio = std::log(std::fmax(peak, 1e-6f) / explained);
    const bool settling = m_couplingLearned < settlingSlots;
    const float couplingStep = settling ? settlingStep : steadyStep;
    m_couplingLearned += settling ? 1 : 0;
    // A heard level well above what the played sound explains is most likely the room's own
    // sound, a clap: it moves the coupling up only a little, so a clap never teaches the gate
    // to ignore the next one.
    if (ratio > m_logCoupling + logMargin) {
        // Only if the heard level rose with the played onset, as it does when the volume is
        // turned up: what the room keeps sounding on its own (a tone, a fan, a voice) does not,
        // and would otherwise teach the gate within a second to explain a clap over it.
        const Slot* before = find(m_heard, index - riseSlots);
        if (before == nullptr || peak > riseFactor * before->bright)
            m_logCoupling += outlierStep * couplingQuantile;
    } else if (ratio > m_logCoupling)
        m_logCoupling += couplingStep * couplingQuantile;
    else
        m_logCoupling -= couplingStep * (1.0f - couplingQuantile);
    m_logCoupling = std::clamp(m_logCoupling, minLogCoupling, maxLogCoupling);
}

std::uint64_t PlaybackGate::reach(std::uint64_t lags) const noexcept {
    // Before a delay is known: any played slot of the last lagCount, up to the heard one.
    if (m_lag < 0)
        return ((std::uint64_t{1} << (lagCount + 2 * lagSpread + 1)) - 1) &
               ~((std::uint64_t{1} << lagSpread) - 1);
    std::uint64_t spread = 0;
    for (int d = 0; d <= 2 * lagSpread; ++d)
        spread |= lags << d;
    return spread;
}

float PlaybackGate::explaining(std::int64_t index, std::uint64_t reach) const noexcept {
    float level = 0.0f;
    for (std::uint64_t bits = reach; bits != 0; bits &= bits - 1) {
        const std::int64_t j = index - std::countr_zero(bits) + lagSpread;
        if (j < m_playedDone) {
            if (const Slot* played = find(m_played, j))
                level = std::fmax(level, played->held);
        } else {
            // Not complete yet: what is in, and the held level fading on.
            const Slot* played = find(m_played, j);
            const float partial = played != nullptr ? played->bright : 0.0f;
            const auto ahead = static_cast<float>(j - m_playedDone + 1);
            level =
                std::fmax(level, std::fmax(partial, m_playedHeld * std::pow(heldRelease, ahead)));
        }
    }
    return level;
}

float PlaybackGate::direct(std::int64_t index, std::uint64_t reach) const noexcept {
    if (m_lag < 0)
        return 0.0f;
    float level = 0.0f;
    for (std::uint64_t bits = reach; bits != 0; bits &= bits - 1) {
        if (const Slot* played = find(m_played, index - std::countr_zero(bits) + lagSpread))
            level = std::fmax(level, played->bright);
    }
    return level;
}

bool PlaybackGate::covers(double end) const noexcept {
    const int lagLow = m_lag >= 0 ? std::max(std::countr_zero(m_lags) - lagSpread, 0) : 0;
    return m_playedDone > slotAt(end) - lagLow;
}

double PlaybackGate::latestTime() const noexcept {
    return std::max(m_playedEnd, m_heardEnd);
}

bool PlaybackGate::isPlayed(double start, double end, float threshold) const noexcept {
    // As it was before the onset: the onset's own slots must not teach the gate to explain it.
    const std::int64_t first = slotAt(start);
    const CouplingAt& before =
        m_couplingBefore[static_cast<std::size_t>(first) & (couplingKept - 1)];
    const float coupling = std::exp(before.index == first ? before.log : m_logCoupling) *
                           (m_lag < 0 ? unknownDelaySlack : 1.0f);
    const std::uint64_t believed = reach(m_lags);
    bool reached = false;
    const std::int64_t last = slotAt(std::nextafter(end, start));
    for (std::int64_t index = first; index <= last; ++index) {
        const Slot* heard = find(m_heard, index);
        if (heard == nullptr || heard->peak < threshold)
            continue;
        reached = true;
        if (heard->bright > margin * coupling * explaining(index, believed))
            return false;
    }
    // Nothing of the buffer is known here any more: judged as without played sound.
    return reached;
}

void PlaybackGate::end() noexcept {
    m_active = false;
}

void PlaybackGate::clear() noexcept {
    const int rate = m_rate;
    *this = PlaybackGate{};
    setSampleRate(rate);
}

std::optional<double> PlaybackGate::delay() const noexcept {
    if (m_lag < 0)
        return std::nullopt;
    return static_cast<double>(m_lag) / slotRate;
}

float PlaybackGate::coupling() const noexcept {
    return std::exp(m_logCoupling);
}

} // namespace lullwick

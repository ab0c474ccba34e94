#pragma once

#include "ClapDetector.h"

#include <atomic>
#include <bit>
#include <cstdint>

namespace lullwick {

// Carries what the analysis saw from the audio thread to a display on another thread: the
// loudest peak since the display last looked, so that no clap slips between two looks, and
// the latest noise floor and onset threshold. Lock-free and allocation-free.
class LevelTap {
public:
    struct Reading {
        float peak = 0.0f;
        float floor = 0.0f;
        float threshold = 0.0f;
        bool heard = false; // false until the first buffer was analysed
    };

    // Audio thread, once per analysed buffer.
    void publish(const BufferTrace& trace) noexcept {
        // Non-negative floats order like their bit patterns, so the loudest peak is an
        // unsigned maximum. Relaxed: each word is its own message.
        if (trace.peak >= 0.0f) {
            const auto peak = std::bit_cast<std::uint32_t>(trace.peak);
            std::uint32_t seen = m_peak.load(std::memory_order_relaxed);
            while (peak > seen &&
                   !m_peak.compare_exchange_weak(seen, peak, std::memory_order_relaxed)) {
            }
        }
        // Floor and threshold in one word: a reader never sees one without its partner.
        m_floorAndThreshold.store((std::uint64_t{std::bit_cast<std::uint32_t>(trace.floor)} << 32) |
                                      std::bit_cast<std::uint32_t>(trace.threshold),
                                  std::memory_order_relaxed);
    }

    // Display thread: the loudest peak since the last take, which starts over.
    Reading take() noexcept {
        const std::uint64_t pair = m_floorAndThreshold.load(std::memory_order_relaxed);
        return {std::bit_cast<float>(m_peak.exchange(0, std::memory_order_relaxed)),
                std::bit_cast<float>(static_cast<std::uint32_t>(pair >> 32)),
                std::bit_cast<float>(static_cast<std::uint32_t>(pair)), pair != 0};
    }

private:
    std::atomic<std::uint32_t> m_peak{0};
    std::atomic<std::uint64_t> m_floorAndThreshold{0};
};

} // namespace lullwick

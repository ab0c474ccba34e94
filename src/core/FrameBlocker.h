#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>

namespace lullwick {

// Collects channel 0 of interleaved reads of any length into blocks of a fixed number of
// frames. The memory is taken once, here; pushing allocates nothing, so it runs on the audio
// thread.
class FrameBlocker {
public:
    explicit FrameBlocker(std::size_t framesPerBlock);

    std::size_t framesPerBlock() const noexcept { return m_capacity; }
    // Frames waiting for the rest of their block.
    std::size_t pendingFrames() const noexcept { return m_filled; }

    // Forgets a partly filled block.
    void clear() noexcept { m_filled = 0; }

    // Appends channel 0 of `frames` interleaved frames of `channels` samples and hands each
    // block that becomes full to onBlock, in order.
    template <typename OnBlock>
    void push(const float* interleaved, std::size_t frames, std::size_t channels,
              OnBlock&& onBlock) {
        if (interleaved == nullptr || channels == 0)
            return;
        // Run by run up to the end of the block, so that the copy loop has no test inside.
        while (frames > 0) {
            const std::size_t take = std::min(frames, m_capacity - m_filled);
            float* block = m_block.get() + m_filled;
            if (channels == 1) {
                std::copy_n(interleaved, take, block);
            } else {
                for (std::size_t frame = 0; frame < take; ++frame)
                    block[frame] = interleaved[frame * channels];
            }
            interleaved += take * channels;
            frames -= take;
            m_filled += take;
            if (m_filled == m_capacity) {
                m_filled = 0;
                onBlock(std::span<const float>(m_block.get(), m_capacity));
            }
        }
    }

    // At the end of a stream: hands the partly filled block, if any, to onBlock as a shorter
    // last block.
    template <typename OnBlock> void flush(OnBlock&& onBlock) {
        if (m_filled == 0)
            return;
        const std::size_t filled = m_filled;
        m_filled = 0;
        onBlock(std::span<const float>(m_block.get(), filled));
    }

private:
    std::size_t m_capacity;
    std::unique_ptr<float[]> m_block;
    std::size_t m_filled = 0;
};

} // namespace lullwick

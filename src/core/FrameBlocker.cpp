#include "FrameBlocker.h"

namespace lullwick {

FrameBlocker::FrameBlocker(std::size_t framesPerBlock)
    : m_capacity(framesPerBlock == 0 ? 1 : framesPerBlock),
      m_block(std::make_unique<float[]>(m_capacity)) {}

} // namespace lullwick

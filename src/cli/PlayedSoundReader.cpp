#include "PlayedSoundReader.h"

#include "platform/SoundFile.h"

namespace lullwick {

PlayedSoundReader::~PlayedSoundReader() = default;

std::unique_ptr<PlayedSoundReader> PlayedSoundReader::open(const QString& path, int outputRate,
                                                           QString* error) {
    auto file = SoundFile::open(path, error);
    if (!file)
        return nullptr;
    if (outputRate <= 0) {
        *error = QStringLiteral("the file has no audio");
        return nullptr;
    }
    std::unique_ptr<PlayedSoundReader> reader(new PlayedSoundReader);
    reader->m_step = static_cast<double>(file->sampleRate()) / outputRate;
    reader->m_file = std::move(file);
    // The first two input frames frame the first output frame.
    reader->m_atEnd = !reader->nextInput(&reader->m_previous);
    if (!reader->nextInput(&reader->m_current)) {
        reader->m_current = 0.0f;
        reader->m_inputEnded = true;
    }
    return reader;
}

const QString& PlayedSoundReader::error() const {
    return m_file->error();
}

bool PlayedSoundReader::nextInput(float* frame) {
    if (m_used == m_buffered) {
        m_buffered = m_file->readMixed(m_mixed);
        m_used = 0;
        if (m_buffered == 0)
            return false;
    }
    *frame = m_mixed[m_used++];
    return true;
}

// Linear interpolation: the gate looks at level envelopes, for which it is exact enough; at
// the same rate it is a plain copy.
std::size_t PlayedSoundReader::read(std::span<float> out) {
    std::size_t given = 0;
    while (given < out.size() && !m_atEnd) {
        const auto fraction = static_cast<float>(m_position);
        out[given++] = m_previous + (m_current - m_previous) * fraction;
        m_position += m_step;
        while (m_position >= 1.0 && !m_atEnd) {
            m_position -= 1.0;
            m_previous = m_current;
            // Past the last frame the one after is silence, and the output ends one frame on.
            if (m_inputEnded) {
                m_atEnd = true;
            } else if (!nextInput(&m_current)) {
                m_current = 0.0f;
                m_inputEnded = true;
            }
        }
    }
    return given;
}

} // namespace lullwick

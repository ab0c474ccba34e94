#include "PlayedSoundReader.h"

#include <QFile>
#include <sndfile.h>

namespace lullwick {
namespace {

constexpr std::size_t inputChunk = 4096;

} // namespace

struct PlayedSoundReader::Handle {
    SNDFILE* file = nullptr;
    ~Handle() {
        if (file)
            sf_close(file);
    }
};

PlayedSoundReader::~PlayedSoundReader() = default;

std::unique_ptr<PlayedSoundReader> PlayedSoundReader::open(const QString& path, int outputRate,
                                                           QString* error) {
    SF_INFO info{};
    SNDFILE* raw = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!raw) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return nullptr;
    }
    std::unique_ptr<PlayedSoundReader> reader(new PlayedSoundReader);
    reader->m_handle = std::make_unique<Handle>();
    reader->m_handle->file = raw;
    if (info.samplerate <= 0 || info.channels <= 0 || outputRate <= 0) {
        *error = QStringLiteral("the file has no audio");
        return nullptr;
    }
    sf_command(raw, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    reader->m_channels = info.channels;
    reader->m_step = static_cast<double>(info.samplerate) / outputRate;
    reader->m_interleaved.resize(inputChunk * static_cast<std::size_t>(info.channels));
    // The first two input frames frame the first output frame.
    reader->m_atEnd = !reader->nextInput(&reader->m_previous);
    if (!reader->nextInput(&reader->m_current)) {
        reader->m_current = 0.0f;
        reader->m_inputEnded = true;
    }
    return reader;
}

bool PlayedSoundReader::nextInput(float* frame) {
    if (m_used == m_buffered) {
        if (!m_error.isEmpty())
            return false;
        const sf_count_t read = sf_readf_float(m_handle->file, m_interleaved.data(),
                                               static_cast<sf_count_t>(inputChunk));
        if (read <= 0) {
            if (sf_error(m_handle->file) != SF_ERR_NO_ERROR)
                m_error = QString::fromUtf8(sf_strerror(m_handle->file));
            return false;
        }
        m_buffered = static_cast<std::size_t>(read);
        m_used = 0;
    }
    const auto channels = static_cast<std::size_t>(m_channels);
    const float* samples = m_interleaved.data() + m_used * channels;
    float sum = 0.0f;
    for (std::size_t c = 0; c < channels; ++c)
        sum += samples[c];
    *frame = sum / static_cast<float>(channels);
    ++m_used;
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

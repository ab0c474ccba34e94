#include "SoundFile.h"

#include <QFile>
#include <sndfile.h>

namespace lullwick {

struct SoundFile::Handle {
    SNDFILE* file = nullptr;
    ~Handle() {
        if (file)
            sf_close(file);
    }
};

SoundFile::~SoundFile() = default;

std::unique_ptr<SoundFile> SoundFile::open(const QString& path, QString* error) {
    SF_INFO info{};
    SNDFILE* raw = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!raw) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return nullptr;
    }
    std::unique_ptr<SoundFile> file(new SoundFile);
    file->m_handle = std::make_unique<Handle>();
    file->m_handle->file = raw;
    if (info.samplerate <= 0 || info.channels <= 0) {
        *error = QStringLiteral("the file has no audio");
        return nullptr;
    }
    file->m_sampleRate = info.samplerate;
    file->m_channels = info.channels;
    file->m_frames = info.frames > 0 ? static_cast<std::int64_t>(info.frames) : 0;
    // Integer formats scale by 1/32768 for 16 bits, as a sound server would deliver them.
    sf_command(raw, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    return file;
}

std::size_t SoundFile::readInterleaved(std::size_t frames) {
    if (frames == 0 || !m_error.isEmpty())
        return 0;
    m_interleaved.resize(frames * static_cast<std::size_t>(m_channels));
    const sf_count_t read =
        sf_readf_float(m_handle->file, m_interleaved.data(), static_cast<sf_count_t>(frames));
    if (read <= 0) {
        if (sf_error(m_handle->file) != SF_ERR_NO_ERROR)
            m_error = QString::fromUtf8(sf_strerror(m_handle->file));
        return 0;
    }
    return static_cast<std::size_t>(read);
}

std::size_t SoundFile::readChannel0(std::span<float> out) {
    const std::size_t frames = readInterleaved(out.size());
    const auto channels = static_cast<std::size_t>(m_channels);
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = m_interleaved[i * channels];
    return frames;
}

std::size_t SoundFile::readMixed(std::span<float> out) {
    const std::size_t frames = readInterleaved(out.size());
    const auto channels = static_cast<std::size_t>(m_channels);
    for (std::size_t i = 0; i < frames; ++i) {
        const float* samples = m_interleaved.data() + i * channels;
        float sum = 0.0f;
        for (std::size_t c = 0; c < channels; ++c)
            sum += samples[c];
        out[i] = sum / static_cast<float>(channels);
    }
    return frames;
}

} // namespace lullwick

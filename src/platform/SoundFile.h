#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace lullwick {

// A sound file read through libsndfile (WAV, FLAC, Ogg, …) as 32-bit float in -1 … +1 (16-bit
// PCM divided by 32768): channel 0 only, as the analysis hears a microphone, or all channels
// mixed, as a sink's monitor delivers what the computer plays.
class SoundFile {
public:
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // The open file, or nullptr with the reason in error.
    static std::unique_ptr<SoundFile> open(const QString& path, QString* error);

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // As the header tells it; 0 when unknown.
    std::int64_t frames() const { return m_frames; }

    // Fill out with the next frames, of channel 0 or of the mean of all channels; the number
    // read, 0 at the end. A read error is reported through error() and ends the stream.
    std::size_t readChannel0(std::span<float> out);
    std::size_t readMixed(std::span<float> out);
    const QString& error() const { return m_error; }

private:
    SoundFile() = default;
    // The next frames, at most `frames`, into m_interleaved; how many.
    std::size_t readInterleaved(std::size_t frames);

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    int m_sampleRate = 0;
    int m_channels = 0;
    std::int64_t m_frames = 0;
    std::vector<float> m_interleaved;
    QString m_error;
};

} // namespace lullwick

#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <memory>
#include <span>

namespace lullwick {

class SoundFile;

// A recording of what the computer played, read as a sound server's monitor delivers it to
// the capture: all channels mixed to mono, at the capture's sample rate.
class PlayedSoundReader {
public:
    ~PlayedSoundReader();
    PlayedSoundReader(const PlayedSoundReader&) = delete;
    PlayedSoundReader& operator=(const PlayedSoundReader&) = delete;

    // The open file, converted to outputRate; nullptr with the reason in error.
    static std::unique_ptr<PlayedSoundReader> open(const QString& path, int outputRate,
                                                   QString* error);

    // Fills out with the next frames; the number given, 0 at the end. A read error ends the
    // stream and is kept in error().
    std::size_t read(std::span<float> out);
    const QString& error() const;

private:
    PlayedSoundReader() = default;
    // The next frame of the file, mixed; false at the end.
    bool nextInput(float* frame);

    std::unique_ptr<SoundFile> m_file;
    // One input frame advances the output by this many output frames' positions.
    double m_step = 1.0;
    double m_position = 0.0;
    float m_previous = 0.0f;
    float m_current = 0.0f;
    bool m_atEnd = false;
    bool m_inputEnded = false;
    std::array<float, 4096> m_mixed{};
    std::size_t m_buffered = 0;
    std::size_t m_used = 0;
};

} // namespace lullwick

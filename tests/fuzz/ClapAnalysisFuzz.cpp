// Any sound, read in chunks of any length through the re-blocker as capture reads it: the
// analysis hears exactly what it hears in whole 1024-frame buffers.
//
// Input: one byte of layout (bits 0-1: channels - 1; bit 2: raw floats, else 16-bit
// samples; bits 3-4: sensitivity), eight bytes seeding the chunk lengths, then the samples.

#include "core/ClapDetector.h"
#include "core/FrameBlocker.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace lullwick;

namespace {

constexpr std::size_t framesPerBuffer = ClapDetector::framesPerBuffer;
constexpr double sampleRate = 48000.0;
constexpr double startTime = 700000000.0; // an absolute clock reading, as in capture

struct Event {
    bool isDouble;
    double at;
    friend bool operator==(const Event&, const Event&) = default;
};

// Clap and double-clap events of a detector fed block by block; the time of each block
// follows from its place in the stream.
class Listener {
public:
    explicit Listener(Tuning tuning) {
        m_detector.setTuning(tuning);
        m_detector.setOnClap([this] { m_events.push_back({false, m_now}); });
        m_detector.setOnDoubleClap([this] { m_events.push_back({true, m_now}); });
    }
    void hear(std::span<const float> block) {
        m_now = startTime + static_cast<double>(m_blocks++ * framesPerBuffer) / sampleRate;
        m_detector.process(block, m_now);
    }
    const std::vector<Event>& events() const { return m_events; }

private:
    ClapDetector m_detector;
    std::vector<Event> m_events;
    std::size_t m_blocks = 0;
    double m_now = 0.0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9)
        return 0;
    const std::size_t channels = (data[0] & 3u) + 1;
    const bool rawFloats = (data[0] & 4u) != 0;
    const auto sensitivity = static_cast<Sensitivity>((data[0] >> 3) % 3);
    std::uint64_t seed = 0;
    std::memcpy(&seed, data + 1, sizeof seed);
    data += 9;
    size -= 9;

    std::vector<float> samples;
    if (rawFloats) {
        samples.resize(size / sizeof(float));
        if (!samples.empty())
            std::memcpy(samples.data(), data, samples.size() * sizeof(float));
    } else {
        samples.resize(size / 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            std::int16_t value = 0;
            std::memcpy(&value, data + 2 * i, 2);
            samples[i] = static_cast<float>(value) / 32768.0f;
        }
    }
    const std::size_t frames = samples.size() / channels;

    // Whole buffers, channel 0 taken out directly.
    Listener whole(tuningFor(sensitivity));
    std::vector<float> channel0(framesPerBuffer);
    for (std::size_t first = 0; first + framesPerBuffer <= frames; first += framesPerBuffer) {
        for (std::size_t i = 0; i < framesPerBuffer; ++i)
            channel0[i] = samples[(first + i) * channels];
        whole.hear(channel0);
    }

    // Chunks of 0 to 2100 frames, one short of a block and odd partial ones among them.
    Listener chunked(tuningFor(sensitivity));
    FrameBlocker blocker(framesPerBuffer);
    std::size_t done = 0;
    while (done < frames) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        const std::size_t length = std::min<std::size_t>((seed >> 33) % 2101, frames - done);
        blocker.push(samples.data() + done * channels, length, channels,
                     [&chunked](std::span<const float> block) { chunked.hear(block); });
        done += length;
    }

    if (whole.events() != chunked.events())
        std::abort();
    return 0;
}

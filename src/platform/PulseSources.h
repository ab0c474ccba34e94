#pragma once

#include "platform/PulseConnection.h"

#include <cstdint>
#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <string>
#include <vector>

namespace lullwick {

// The server's sources as capture sees them: which one is the default, and a notice whenever
// that may have changed — another default source, or a microphone (a source that is not the
// monitor of an output) that came or went.
class PulseSources {
public:
    struct Source {
        std::string name;
        std::string description;
        std::uint32_t index = 0;
        bool isMonitor = false;
        pa_sample_spec sampleSpec{};
        pa_channel_map map{};

        // A monitor would hear the speakers, the film's own applause included.
        bool isMicrophone() const {
            return !isMonitor && sampleSpec.rate > 0 && sampleSpec.channels > 0;
        }
    };

    // onChange runs on the loop's thread, with the loop locked.
    PulseSources(PulseConnection& connection, std::function<void()> onChange);

    // With the loop locked: starts watching for changes, then reads the default source.
    std::optional<DetectorError> readLocked(PulseConnection::Deadline deadline);
    // The default source found by readLocked, if the server has one.
    const std::optional<Source>& defaultSource() const { return m_default; }
    // With the loop locked, after readLocked: sink-input and server events go to onEvent too,
    // on the loop's thread.
    void followPlaybackLocked(std::function<void(std::uint32_t event)> onEvent);

private:
    struct Callbacks;

    PulseConnection& m_connection;
    std::function<void()> m_onChange;
    std::function<void(std::uint32_t)> m_onPlaybackEvent;
    bool m_queryDone = false;
    std::optional<Source> m_default;

    // What a change is measured against; the loop's thread only once read.
    std::string m_defaultName;
    std::vector<std::uint32_t> m_microphones;
};

} // namespace lullwick

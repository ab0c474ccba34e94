#pragma once

#include "app/AudioInput.h"
#include "core/FrameBlocker.h"
#include "core/LevelTap.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace lullwick {

// Capture from the sound server's default source through libpulse's threaded main loop. The
// main loop's thread is the audio thread: it re-blocks the reads into 1024-frame buffers and
// runs the analysis there. Every start makes a new connection, so a server that appears later
// is found by the next start. The detector given to start() must outlive capture.
class PulseAudioInput final : public AudioInput {
    Q_OBJECT

public:
    static constexpr std::size_t framesPerBuffer = 1024;
    // How long start() and stop() wait for the server before giving up.
    static constexpr int serverTimeoutMs = 2000;

    // The source capture was opened on, as the server described it.
    struct Source {
        QString name;
        QString description;
        std::uint32_t rate = 0;
        int channels = 0;
    };

    explicit PulseAudioInput(QObject* parent = nullptr);
    ~PulseAudioInput() override;

    std::optional<DetectorError> start(ClapDetector& detector) override;
    void stop() override;
    bool isRunning() const override;

    // Before start(): what the analysis sees of each buffer goes to tap as well. The tap
    // must outlive capture.
    void setLevelTap(LevelTap* tap) { m_tap = tap; }

    // The source of the last successful start.
    Source source() const { return m_source; }

private:
    enum class Wait { done, failed, timedOut };

    // Called with the main loop locked; returns once done() holds, the connection failed or
    // the deadline passed.
    template <typename Done> Wait waitLocked(Done&& done);
    std::optional<DetectorError> connectLocked(ClapDetector& detector);
    void teardown();
    void postNotice();
    void muteUntilChecked(pa_stream* stream);
    bool contextFailed() const;
    DetectorError serverError() const;

    // The libpulse callbacks, which run on the main loop's thread.
    struct Callbacks;
    friend struct Callbacks;

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    bool m_timedOut = false;
    bool m_closing = false;

    // Main loop thread only (or the GUI thread with the loop locked).
    ClapDetector* m_detector = nullptr;
    LevelTap* m_tap = nullptr;
    FrameBlocker m_blocker{framesPerBuffer};
    std::size_t m_channels = 0;
    std::size_t m_frameBytes = 0;
    // Set while the stream may be on a monitor: its buffers are dropped, never analysed.
    bool m_muted = false;
    std::string m_defaultSource;
    std::vector<std::uint32_t> m_microphones;

    std::atomic<bool> m_running{false};
    // Notices from a connection that is gone are dropped when they arrive.
    std::atomic<unsigned> m_generation{0};
    Source m_source;
};

} // namespace lullwick

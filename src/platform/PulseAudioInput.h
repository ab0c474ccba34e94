#pragma once

#include "app/AudioInput.h"
#include "core/LevelTap.h"
#include "platform/PulseConnection.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

namespace lullwick {

class PulsePlaybackWatch;
class PulseRecordStream;
class PulseSources;

// Capture from the sound server's default source through libpulse's threaded main loop, whose
// thread is the audio thread. Every start makes a new connection, so a server that appears
// later is found by the next start or watch. The detector given to start() must outlive
// capture.
class PulseAudioInput final : public AudioInput {
    Q_OBJECT

public:
    // All the time start() and stop() give a server that does not answer: they run on the GUI
    // thread.
    static constexpr std::chrono::milliseconds startTimeout{2000};
    static constexpr std::chrono::milliseconds stopTimeout{1000};

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
    bool watch() override;
    bool isRunning() const override;

    // Before start(): what the analysis sees of each buffer goes to tap as well. The tap
    // must outlive capture.
    void setLevelTap(LevelTap* tap) { m_tap = tap; }

    // The source of the last successful start.
    Source source() const { return m_source; }

    // True while what the computer plays is read beside the microphone.
    bool isReadingPlayback() const { return m_readingPlayback.load(); }

signals:
    // Reading what the computer plays began or ended. Emitted on the GUI thread.
    void readingPlaybackChanged(bool reading);

private:
    std::optional<DetectorError> listenLocked(ClapDetector& detector,
                                              PulseConnection::Deadline deadline);
    std::optional<DetectorError> openConnection(PulseConnection::Deadline deadline);
    void close(PulseConnection::Deadline deadline);
    void lost();
    void postNotice();
    void postReading(bool reading);

    std::unique_ptr<PulseConnection> m_connection;
    std::unique_ptr<PulseSources> m_sources;
    std::unique_ptr<PulseRecordStream> m_stream;
    std::unique_ptr<PulsePlaybackWatch> m_playback;
    // Written with the loop locked; nothing is posted while the connection closes.
    bool m_closing = false;

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_watching{false};
    std::atomic<bool> m_readingPlayback{false};
    // Notices from a connection that is gone are dropped when they arrive.
    std::atomic<unsigned> m_generation{0};
    Source m_source;
    LevelTap* m_tap = nullptr;
};

} // namespace lullwick

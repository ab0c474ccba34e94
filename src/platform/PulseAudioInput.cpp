#include "PulseAudioInput.h"

#include "platform/PulsePlaybackWatch.h"
#include "platform/PulseRecordStream.h"
#include "platform/PulseSources.h"

#include <QMetaObject>

namespace lullwick {

PulseAudioInput::PulseAudioInput(QObject* parent) : AudioInput(parent) {}

PulseAudioInput::~PulseAudioInput() {
    stop();
}

bool PulseAudioInput::isRunning() const {
    return m_running.load();
}

std::optional<DetectorError> PulseAudioInput::start(ClapDetector& detector) {
    if (m_running.load())
        return std::nullopt;
    // One budget for every wait below, the cleanup after a failure included.
    const auto deadline = PulseConnection::Clock::now() + startTimeout;
    auto error = openConnection(deadline);
    if (!error) {
        m_connection->lock();
        error = listenLocked(detector, deadline);
        m_connection->unlock();
    }
    if (error)
        close(deadline);
    return error;
}

bool PulseAudioInput::watch() {
    if (m_running.load())
        return false;
    const auto deadline = PulseConnection::Clock::now() + startTimeout;
    if (openConnection(deadline)) {
        close(deadline);
        return false;
    }
    m_connection->lock();
    m_sources = std::make_unique<PulseSources>(*m_connection, [this] { postNotice(); });
    const bool watching = !m_sources->readLocked(deadline);
    if (watching) {
        m_watching = true;
        // One may have come since the start that found none: no event is left to tell.
        const auto& source = m_sources->defaultSource();
        if (source && source->isMicrophone())
            postNotice();
    }
    m_connection->unlock();
    if (!watching)
        close(deadline);
    return watching;
}

std::optional<DetectorError> PulseAudioInput::openConnection(PulseConnection::Deadline deadline) {
    // What is left of a stream the server took away, or of a watch.
    close(deadline);
    m_closing = false;
    m_connection = std::make_unique<PulseConnection>([this] { lost(); });
    return m_connection->open(deadline);
}

std::optional<DetectorError> PulseAudioInput::listenLocked(ClapDetector& detector,
                                                           PulseConnection::Deadline deadline) {
    m_sources = std::make_unique<PulseSources>(*m_connection, [this] { postNotice(); });
    if (auto error = m_sources->readLocked(deadline))
        return error;
    const auto& source = m_sources->defaultSource();
    if (!source || !source->isMicrophone())
        return DetectorError::noInputDevice();

    detector.reset();
    detector.setSampleRate(static_cast<int>(source->sampleSpec.rate));
    m_stream = std::make_unique<PulseRecordStream>(
        *m_connection, detector, m_tap, [this] { postNotice(); }, [this] { lost(); });
    if (auto error = m_stream->openLocked(source->sampleSpec, source->map, source->index, deadline))
        return error;
    m_source = {QString::fromStdString(source->name), QString::fromStdString(source->description),
                source->sampleSpec.rate, source->sampleSpec.channels};
    // Only while the microphone is open: what the computer plays, at the microphone's rate.
    m_playback =
        std::make_unique<PulsePlaybackWatch>(*m_connection, detector, source->sampleSpec.rate,
                                             [this](bool reading) { postReading(reading); });
    m_sources->followPlaybackLocked(
        [this](std::uint32_t event) { m_playback->eventLocked(event); });
    m_playback->startLocked();
    m_running = true;
    return std::nullopt;
}

void PulseAudioInput::stop() {
    close(PulseConnection::Clock::now() + stopTimeout);
}

void PulseAudioInput::close(PulseConnection::Deadline deadline) {
    m_running = false;
    m_watching = false;
    if (m_connection == nullptr)
        return;
    m_connection->lock();
    // Under the lock, which every callback holds: what was posted before carries the old
    // generation, and nothing is posted while the connection closes.
    ++m_generation;
    m_closing = true;
    if (m_playback != nullptr)
        m_playback->closeLocked(deadline);
    if (m_stream != nullptr)
        m_stream->closeLocked(deadline);
    m_connection->unlock();
    // No callback runs once the connection is closed: only then may their objects go.
    m_connection->close();
    m_playback.reset();
    m_stream.reset();
    m_sources.reset();
    m_connection.reset();
}

// The server went away, killed our stream, or its source vanished with no place to move it
// to.
void PulseAudioInput::lost() {
    const bool wasRunning = m_running.exchange(false);
    const bool wasWatching = m_watching.exchange(false);
    if (wasRunning || wasWatching)
        postNotice();
}

void PulseAudioInput::postNotice() {
    if (m_closing)
        return;
    const unsigned generation = m_generation.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation.load())
                emit configurationChanged();
        },
        Qt::QueuedConnection);
}

void PulseAudioInput::postReading(bool reading) {
    m_readingPlayback = reading;
    if (m_closing)
        return;
    const unsigned generation = m_generation.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation, reading] {
            if (generation == m_generation.load())
                emit readingPlaybackChanged(reading);
        },
        Qt::QueuedConnection);
}

} // namespace lullwick

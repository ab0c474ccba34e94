#pragma once

#include "core/ClapDetector.h"

#include <QObject>
#include <QString>
#include <optional>

namespace lullwick {

// Why capture could not start.
struct DetectorError {
    enum class Kind {
        noInputDevice, // no server, no default source, or a source that is not a microphone
        engine,        // any other refusal of the sound server
    };
    Kind kind = Kind::noInputDevice;
    QString description; // readable, for the log line

    static DetectorError noInputDevice() {
        return {Kind::noInputDevice, QStringLiteral("No microphone input device found.")};
    }
};

// Live capture from the default microphone into a ClapDetector. Used from the GUI thread;
// the detector runs on the capture thread.
class AudioInput : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~AudioInput() override = default;

    // Resets the detector's state and starts feeding it channel 0 in buffers of
    // ClapDetector::framesPerBuffer frames. Returns once capture really runs, or with the
    // reason it cannot; while running, does nothing and succeeds.
    virtual std::optional<DetectorError> start(ClapDetector& detector) = 0;

    // Stops capture, or the watch, and returns once the stream or connection is gone;
    // nothing when stopped.
    virtual void stop() = 0;

    // While stopped: keeps in touch with the sound server, with no stream, and emits
    // configurationChanged once a microphone may be usable or the server went away. False
    // when there is no server to watch. Ended by start() and stop().
    virtual bool watch() = 0;

    // True between a successful start and stop (or the loss of the stream).
    virtual bool isRunning() const = 0;

signals:
    // The default source changed, an input device came or went, or the stream was moved or
    // lost. Emitted on the GUI thread.
    void configurationChanged();
};

} // namespace lullwick

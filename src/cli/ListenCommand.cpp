#include "ListenCommand.h"

#include "LevelMeter.h"
#include "app/CaptureRestarter.h"
#include "app/ClapHandOff.h"
#include "app/PostTo.h"
#include "core/ClapDetector.h"
#include "platform/PulseAudioInput.h"
#include "platform/PulseStreams.h"
#include "platform/QtTimers.h"
#include "platform/QuitOnSignals.h"

#include <QCoreApplication>
#include <QDateTime>
#include <chrono>
#include <cmath>

namespace lullwick {
namespace {

// The wall-clock time of a moment on the steady clock.
QString wallClock(std::chrono::steady_clock::time_point moment) {
    const auto when =
        std::chrono::system_clock::now() - (std::chrono::steady_clock::now() - moment);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString wallClock(double detectorTime) {
    const auto ms = std::llround((detectorTime + detectorClockEpoch) * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
}

// Played sound judged this soon after the last is the same sound (buffers are 21 ms apart).
constexpr double sameSound = 0.05;

} // namespace

int runListen(Sensitivity sensitivity, bool meter, std::FILE* out, std::FILE* err) {
    QuitOnSignals quitOnSignals;
    if (!quitOnSignals.isWatching()) {
        std::fprintf(err, "lullwick: cannot watch for signals\n");
        return 1;
    }

    ClapDetector detector;
    detector.setTuning(tuningFor(sensitivity));
    const auto levelMeter = meter ? LevelMeter::onTerminal(out) : nullptr;
    if (levelMeter)
        out = levelMeter->lines();
    PulseAudioInput input;
    if (levelMeter)
        input.setLevelTap(&levelMeter->tap());
    QObject events;
    handClapsTo(detector, events, [out](const HeardClap& heard) {
        std::fprintf(out, "%s %s\n", heard.isDouble ? "double-clap" : "clap",
                     qPrintable(wallClock(heard.at)));
        std::fflush(out);
    });
    // What did not count because the computer played it, so that a clap missed over music
    // shows why. Loud music is played sound in buffer after buffer: printed once, where it
    // starts, which also keeps the posts from the analysing thread few.
    const QPointer<QObject> target(&events);
    detector.setOnPlayedSound([target, out, last = -1.0e9](double at) mutable {
        const bool continues = at - last < sameSound;
        last = at;
        if (continues)
            return;
        postTo(target, [out, at](QObject&) {
            std::fprintf(out, "played-sound %s\n", qPrintable(wallClock(at)));
            std::fflush(out);
        });
    });

    auto startCapture = [&]() -> bool {
        if (const auto error = input.start(detector)) {
            if (error->kind == DetectorError::Kind::noInputDevice)
                std::fprintf(err, "%s\n", qPrintable(error->description));
            else
                std::fprintf(err, "lullwick: could not start audio engine: %s\n",
                             qPrintable(error->description));
            return false;
        }
        const auto source = input.source();
        std::fprintf(out, "listening on %s (%u Hz, %d ch)\n", qPrintable(source.description),
                     source.rate, source.channels);
        std::fflush(out);
        return true;
    };

    // As the application does: stop now, start again shortly after the notice. Once a start
    // has failed there is no microphone left, and the command ends.
    QtTimers timers;
    bool failed = false;
    CaptureRestarter restarter(timers, input,
                               {[&] { input.stop(); }, [&] { return !failed; },
                                [&] {
                                    if (!startCapture()) {
                                        failed = true;
                                        QCoreApplication::exit(1);
                                    }
                                }});
    QObject::connect(&input, &AudioInput::configurationChanged, &events, [&] {
        std::fprintf(out, "audio configuration changed, restarting capture\n");
        std::fflush(out);
        restarter.restart(CaptureRestarter::afterConfigurationChange);
    });

    if (!startCapture())
        return 1;
    const int status = QCoreApplication::exec();
    input.stop();
    std::fflush(out);
    return status;
}

} // namespace lullwick

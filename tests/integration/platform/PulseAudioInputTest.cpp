// Capture against a real, private PulseAudio (run under scripts/with-sound-server).

#include "platform/PulseAudioInput.h"

#include "core/ClapDetector.h"
#include "platform/QtTimers.h"
#include "support/FakeServices.h"
#include "support/SoundServer.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <vector>

using namespace lullwick;
using lullwick::test::SoundServer;

namespace {

// The application's listening decisions on real capture and real timers; the rest faked.
struct Listening {
    FakeServices fakes;
    PulseAudioInput input;
    QtTimers timers;
    std::unique_ptr<AppState> state;

    Listening() {
        fakes.store.values.insert(QStringLiteral("hasCompletedOnboarding"), true);
        const AppServices services{
            fakes.store, fakes.log,    fakes.microphone, fakes.loginItem, input, fakes.wake,
            fakes.clock, fakes.sounds, fakes.inhibitors, fakes.sleeper,   timers};
        state = std::make_unique<AppState>(services, fakes.views());
    }
};

QString loadMicrophone(const QString& name) {
    return SoundServer::pactl({"load-module", "module-remap-source", "source_name=" + name,
                               "master=" + SoundServer::monitor()})
        .trimmed();
}

bool unloadMicrophone(const QString& name) {
    const QString modules = SoundServer::pactl({"list", "short", "modules"});
    for (const QString& line : modules.split(u'\n'))
        if (line.section(u'\t', 2).split(u' ').contains("source_name=" + name))
            return !SoundServer::pactl({"unload-module", line.section(u'\t', 0, 0)}).isNull();
    return false;
}

} // namespace

class PulseAudioInputTest : public QObject {
    Q_OBJECT

    SoundServer m_server;

private slots:
    void initTestCase() { QVERIFY2(m_server.isReady(), "run through scripts/with-sound-server"); }

    // The scene's right channel holds decoy claps that would make a second double clap.
    void recordsChannelZeroOnTheAudioThreadUntilStopped() {
        ClapDetector detector;
        std::atomic<int> claps{0}, doubleClaps{0};
        std::atomic<QThread*> clapThread{nullptr};
        detector.setOnClap([&] {
            clapThread = QThread::currentThread();
            ++claps;
        });
        detector.setOnDoubleClap([&] { ++doubleClaps; });
        PulseAudioInput input;
        QVERIFY(!input.start(detector));
        // start() returns once the stream records, stop() once the server removed it.
        QCOMPARE(SoundServer::captureStreams().values(), QStringList{SoundServer::microphone()});
        QVERIFY(!input.start(detector));
        QCOMPARE(SoundServer::captureStreams().size(), 1);
        QVERIFY(SoundServer::play(QStringLiteral("p15_stereo_ch1_decoy")));
        QTRY_COMPARE_WITH_TIMEOUT(doubleClaps.load(), 1, 10000);
        QCOMPARE(claps.load(), 2);
        QVERIFY(clapThread.load() != QThread::currentThread());
        input.stop();
        QCOMPARE(SoundServer::captureStreams().size(), 0);
    }

    // Sanitizer builds run this: the stream is torn down while buffers flow, again and again.
    void startStopCyclesWhileBuffersFlow() {
        ClapDetector detector;
        QProcess player;
        player.start(QStringLiteral("paplay"), {QStringLiteral("-d"), SoundServer::sink(),
                                                LULLWICK_CORPUS_DIR "/p06_gain_sweep.wav"});
        for (int cycle = 0; cycle < 20; ++cycle) {
            auto input = std::make_unique<PulseAudioInput>();
            QVERIFY(!input->start(detector));
            if (cycle % 2 == 0)
                input->stop(); // the others go by destruction, running
            QTest::qWait(20);  // let a few buffers reach the analysis before the next cycle
        }
        QVERIFY(player.waitForFinished(30000));
        QCOMPARE(SoundServer::captureStreams().size(), 0);
    }

    // Nothing is changed by a refused start; a later one starts afresh.
    void refusesToStartWithoutAMicrophone() {
        ClapDetector detector;
        std::vector<float> click(1024, 0.0f);
        click[100] = 0.9f;
        detector.process(click, 1000.0);
        PulseAudioInput input;
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/lullwick/native");
        const auto noServer = input.start(detector);
        qputenv("PULSE_SERVER", server);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::monitor()));
        const auto monitor = input.start(detector);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        for (const auto& error : {noServer, monitor})
            QCOMPARE(error.value_or(DetectorError{}).description,
                     DetectorError::noInputDevice().description);
        QVERIFY(!input.isRunning());
        QCOMPARE(SoundServer::captureStreams().size(), 0);
        QCOMPARE(detector.firstClapAt(), std::optional<double>(1000.0));

        // Silence makes no onset.
        QVERIFY(!input.start(detector));
        input.stop();
        QCOMPARE(detector.lastOnsetAt(), 0.0);
        QVERIFY(!detector.firstClapAt());
    }

    void aFrozenServerCostsStartAndStopTheirTimeLimitOnly() {
        const pid_t server = SoundServer::serverPid();
        ClapDetector detector;
        PulseAudioInput input;
        QVERIFY(!input.start(detector));
        QCOMPARE(::kill(server, SIGSTOP), 0);
        auto resume = qScopeGuard([server] { ::kill(server, SIGCONT); });
        QElapsedTimer timer;
        timer.start();
        input.stop();
        QCOMPARE_LT(timer.restart(), 1500);
        const auto error = input.start(detector);
        QCOMPARE_LT(timer.elapsed(), 2500);
        QCOMPARE(error.value_or(DetectorError{}).kind, DetectorError::Kind::engine);

        QCOMPARE(::kill(server, SIGCONT), 0);
        QVERIFY(!input.start(detector));
        QTRY_COMPARE(SoundServer::captureStreams().size(), 1);
    }

    // Mute (a source "change" event, as volume, suspend and a client's stream are) and an
    // output with its monitor are no configuration change.
    void noticesMicrophonesThatComeAndGoAndNothingElse() {
        ClapDetector detector;
        PulseAudioInput input;
        QSignalSpy changed(&input, &AudioInput::configurationChanged);
        QVERIFY(!input.start(detector));
        const QString sink = SoundServer::pactl(
            {"load-module", "module-null-sink", "sink_name=lullwick_other_sink"});
        for (const QStringList& args :
             {QStringList{"set-source-mute", SoundServer::microphone(), "1"},
              {"set-source-mute", SoundServer::microphone(), "0"},
              {"unload-module", sink.trimmed()}})
            QVERIFY(!SoundServer::pactl(args).isNull());
        // Events are handled in order: once this microphone is noticed, the ones above were
        // handled, and must not have been counted.
        const QString added = SoundServer::pactl({"load-module", "module-remap-source",
                                                  "source_name=lullwick_extra_mic",
                                                  "master=" + SoundServer::monitor()});
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 10000);
        QVERIFY(!SoundServer::pactl({"unload-module", added.trimmed()}).isNull());
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 10000);
    }

    void noticesWhatHappensToItsStream_data() {
        QTest::addColumn<QStringList>("command"); // pactl arguments; %1 is the stream's index
        QTest::newRow("moved to a monitor")
            << QStringList{"move-source-output", "%1", SoundServer::monitor()};
        QTest::newRow("a monitor made the default")
            << QStringList{"set-default-source", SoundServer::monitor()};
    }
    void noticesWhatHappensToItsStream() {
        QFETCH(QStringList, command);
        ClapDetector detector;
        std::atomic<int> claps{0};
        detector.setOnClap([&claps] { ++claps; });
        PulseAudioInput input;
        QSignalSpy changed(&input, &AudioInput::configurationChanged);
        QVERIFY(!input.start(detector));
        command.replaceInStrings("%1", SoundServer::captureStreams().firstKey());
        QVERIFY(!SoundServer::pactl(command).isNull());
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 1, 10000);
        QVERIFY(input.isRunning());

        // Wherever the stream is now, what the speakers play is not analysed.
        QVERIFY(SoundServer::play(QStringLiteral("p01_double_040_quiet")));
        // The played sound reaches a record stream a few fragments after paplay has drained.
        QTest::qWait(500);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        QCOMPARE(claps.load(), 0);
    }

    // While listening is wanted the microphone goes away, or is missing from the start with a
    // monitor the only source, and comes back: listening resumes by itself, on a microphone,
    // with one stream, and nothing listens in between.
    void resumesListeningWhenAMicrophoneComesBack_data() {
        QTest::addColumn<QString>("loss");
        QTest::addColumn<QString>("back"); // the source listened to at the end
        const QString other = QStringLiteral("lullwick_other_mic");
        QTest::newRow("server killed and restarted") << "server" << SoundServer::microphone();
        QTest::newRow("microphone unloaded and loaded again")
            << "microphone" << SoundServer::microphone();
        QTest::newRow("only a monitor, then a microphone added") << "from the start" << other;
    }
    void resumesListeningWhenAMicrophoneComesBack() {
        QFETCH(QString, loss);
        QFETCH(QString, back);
        auto restore = qScopeGuard([back] {
            if (back != SoundServer::microphone() && unloadMicrophone(back))
                loadMicrophone(SoundServer::microphone());
            SoundServer::setDefaultSource(SoundServer::microphone());
        });
        if (loss == "from the start")
            QVERIFY(unloadMicrophone(SoundServer::microphone()));
        Listening app;
        AppState& state = *app.state;
        if (loss != "from the start") {
            QTRY_VERIFY(state.detectorRunning());
            if (loss == "server")
                QVERIFY(SoundServer::kill());
            else
                QVERIFY(unloadMicrophone(SoundServer::microphone()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            !state.detectorRunning() && SoundServer::captureStreams().isEmpty(), 5000);
        // Restarts and retries after the loss are due within a second: none may open anything.
        QTest::qWait(1000);
        QVERIFY(!state.detectorRunning() && SoundServer::captureStreams().isEmpty());

        QElapsedTimer since;
        since.start();
        if (loss == "server")
            QVERIFY(m_server.restart());
        else
            QVERIFY(!loadMicrophone(back).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(state.detectorRunning(), 5000);
        qInfo("listening %lld ms after the server or microphone was started", since.elapsed());
        QCOMPARE_LT(since.elapsed(), 2000);
        QCOMPARE(SoundServer::captureStreams().values(), QStringList{back});
    }
};

QTEST_GUILESS_MAIN(PulseAudioInputTest)
#include "PulseAudioInputTest.moc"

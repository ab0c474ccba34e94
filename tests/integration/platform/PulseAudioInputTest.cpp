// Capture against a real, private PulseAudio (run under scripts/with-sound-server).

#include "support/SoundServer.h"
#include "core/ClapDetector.h"
#include "platform/PulseAudioInput.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <vector>

using namespace lullwick;
using lullwick::test::SoundServer;

namespace {

// Counts what the detector reports, from the audio thread.
struct Events {
    std::atomic<int> claps{0};
    std::atomic<int> doubleClaps{0};
    std::atomic<bool> onGuiThread{false};

    void attach(ClapDetector& detector, QThread* guiThread) {
        detector.setOnClap([this, guiThread] {
            if (QThread::currentThread() == guiThread)
                onGuiThread = true;
            ++claps;
        });
        detector.setOnDoubleClap([this] { ++doubleClaps; });
    }
};

// Points libpulse at another server for the life of the object.
class ServerOverride {
public:
    explicit ServerOverride(const QByteArray& server) : m_saved(qgetenv("PULSE_SERVER")) {
        qputenv("PULSE_SERVER", server);
    }
    ~ServerOverride() { qputenv("PULSE_SERVER", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

class PulseAudioInputTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!SoundServer::isAvailable())
            QSKIP("needs scripts/with-sound-server");
        m_keepAlive = SoundServer::keepSinkClocking();
        QVERIFY(m_keepAlive);
    }

    void cleanupTestCase() {
        if (m_keepAlive) {
            m_keepAlive->kill();
            m_keepAlive->waitForFinished();
        }
    }

    void init() { QCOMPARE(SoundServer::defaultSource(), SoundServer::microphone()); }

    void startRecordsOneStreamAndStopRemovesIt() {
        ClapDetector detector;
        PulseAudioInput input;
        QVERIFY(!input.isRunning());
        const auto error = input.start(detector);
        QVERIFY2(!error, error ? qPrintable(error->description) : "");
        QVERIFY(input.isRunning());
        QCOMPARE(input.source().name, SoundServer::microphone());
        QCOMPARE(input.source().description, QStringLiteral("Lullwick test microphone"));
        QCOMPARE(input.source().rate, 48000u);
        QCOMPARE(input.source().channels, 2);
        // start() returns once the stream is recording: the server lists it already.
        QCOMPARE(SoundServer::lullwickStreamSources(), QStringList{SoundServer::microphone()});

        QVERIFY(!input.start(detector));
        QVERIFY(input.isRunning());
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 1);

        // stop() returns once the server has removed the stream.
        input.stop();
        QVERIFY(!input.isRunning());
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
        input.stop();
        QVERIFY(!input.isRunning());
    }

    void destroyingWhileRunningRemovesTheStream() {
        ClapDetector detector;
        {
            PulseAudioInput input;
            QVERIFY(!input.start(detector));
            QCOMPARE(SoundServer::lullwickStreamSources().size(), 1);
        }
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
    }

    void clapsArriveOnTheAudioThread() {
        ClapDetector detector;
        Events events;
        events.attach(detector, QThread::currentThread());
        PulseAudioInput input;
        QVERIFY(!input.start(detector));
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p01_double_040_quiet"))));
        QTRY_COMPARE_WITH_TIMEOUT(events.doubleClaps.load(), 1, 10000);
        QCOMPARE(events.claps.load(), 2);
        QVERIFY(!events.onGuiThread.load());
        input.stop();
    }

    void channelZeroIsAnalysed() {
        // The scene's right channel holds decoy claps that would make a second double clap.
        ClapDetector detector;
        Events events;
        events.attach(detector, QThread::currentThread());
        PulseAudioInput input;
        QVERIFY(!input.start(detector));
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p15_stereo_ch1_decoy"))));
        QTRY_COMPARE_WITH_TIMEOUT(events.doubleClaps.load(), 1, 10000);
        input.stop();
        QCOMPARE(events.doubleClaps.load(), 1);
    }

    void startResetsTheDetectionStateAndStopKeepsIt() {
        ClapDetector detector;
        Events events;
        events.attach(detector, QThread::currentThread());
        PulseAudioInput input;
        QVERIFY(!input.start(detector));
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p01_double_040_quiet"))));
        QTRY_COMPARE_WITH_TIMEOUT(events.doubleClaps.load(), 1, 10000);
        input.stop();
        // The audio thread is gone: the state can be read here.
        const double cooldown = detector.cooldownUntil();
        const double lastOnset = detector.lastOnsetAt();
        QVERIFY(cooldown > 0.0);
        QVERIFY(lastOnset > 0.0);
        input.stop();
        QCOMPARE(detector.cooldownUntil(), cooldown);
        QCOMPARE(detector.lastOnsetAt(), lastOnset);

        // Silence alone cannot make an onset, so what start() reset stays reset.
        QVERIFY(!input.start(detector));
        input.stop();
        QCOMPARE(detector.cooldownUntil(), 0.0);
        QCOMPARE(detector.lastOnsetAt(), 0.0);
        QVERIFY(!detector.firstClapAt());
        QVERIFY(detector.noiseFloor() <= ClapDetector::initialNoiseFloor);
    }

    // Sanitizer builds run this: the stream is torn down while buffers flow, again and again.
    void startStopCyclesWhileBuffersFlow() {
        ClapDetector detector;
        Events events;
        events.attach(detector, QThread::currentThread());
        QProcess player;
        player.start(QStringLiteral("paplay"),
                     {QStringLiteral("-d"), SoundServer::sink(),
                      SoundServer::scene(QStringLiteral("p06_gain_sweep"))});
        QVERIFY(player.waitForStarted());
        for (int cycle = 0; cycle < 20; ++cycle) {
            auto input = std::make_unique<PulseAudioInput>();
            QVERIFY(!input->start(detector));
            if (cycle % 2 == 0)
                input->stop();
            QTest::qWait(20); // let a few buffers reach the analysis before the next cycle
        }
        QVERIFY(player.waitForFinished(30000));
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
    }

    void monitorAsDefaultSourceIsNoInputDevice() {
        ClapDetector detector;
        detector.setTuning(tuningFor(Sensitivity::high));
        std::vector<float> click(1024, 0.0f);
        click[100] = 0.9f;
        detector.process(click, 1000.0);
        QCOMPARE(detector.firstClapAt(), std::optional<double>(1000.0));
        PulseAudioInput input;
        QVERIFY(SoundServer::setDefaultSource(SoundServer::sink() + QStringLiteral(".monitor")));
        const auto error = input.start(detector);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        QVERIFY(error);
        QCOMPARE(error->kind, DetectorError::Kind::noInputDevice);
        QCOMPARE(error->description, QStringLiteral("No microphone input device found."));
        QVERIFY(!input.isRunning());
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
        // Nothing was changed: the detection state is not reset.
        QCOMPARE(detector.tuning(), tuningFor(Sensitivity::high));
        QCOMPARE(detector.lastOnsetAt(), 1000.0);
        QCOMPARE(detector.firstClapAt(), std::optional<double>(1000.0));
        // A later start finds the microphone again.
        QVERIFY(!input.start(detector));
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 1);
    }

    void noServerFailsAtOnceAndALaterServerIsFound() {
        ClapDetector detector;
        PulseAudioInput input;
        QTemporaryDir folder;
        {
            ServerOverride none("unix:" + folder.filePath(QStringLiteral("nothing")).toUtf8());
            const auto error = input.start(detector);
            QVERIFY(error);
            QCOMPARE(error->kind, DetectorError::Kind::noInputDevice);
            QVERIFY(!input.isRunning());
        }
        QVERIFY(!input.start(detector));
        QVERIFY(input.isRunning());
    }

    void aServerThatNeverAnswersIsAnErrorNotAHang() {
        QTemporaryDir folder;
        QLocalServer silent; // accepts the connection and never says a word
        QVERIFY(silent.listen(folder.filePath(QStringLiteral("silent"))));
        ClapDetector detector;
        PulseAudioInput input;
        ServerOverride mute("unix:" + silent.fullServerName().toUtf8());
        const auto error = input.start(detector);
        QVERIFY(error);
        QCOMPARE(error->kind, DetectorError::Kind::engine);
        QVERIFY(!error->description.isEmpty());
        QVERIFY(!input.isRunning());
    }

    void volumeMuteAndMonitorsAreNoConfigurationChange() {
        ClapDetector detector;
        PulseAudioInput input;
        QSignalSpy changed(&input, &AudioInput::configurationChanged);
        bool emittedElsewhere = false;
        connect(
            &input, &AudioInput::configurationChanged, this,
            [&] { emittedElsewhere = emittedElsewhere || QThread::currentThread() != thread(); },
            Qt::DirectConnection);
        QVERIFY(!input.start(detector));
        bool ok = false;
        SoundServer::pactl(
            {QStringLiteral("set-source-volume"), SoundServer::microphone(), QStringLiteral("50%")},
            &ok);
        QVERIFY(ok);
        SoundServer::pactl({QStringLiteral("set-source-mute"), SoundServer::microphone(),
                            QStringLiteral("toggle")},
                           &ok);
        QVERIFY(ok);
        // An output brings its monitor, which is not an input device.
        const QString sinkModule =
            SoundServer::pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                QStringLiteral("sink_name=lullwick_other_sink")},
                               &ok);
        QVERIFY(ok);
        // A second client recording changes the source too.
        ClapDetector otherDetector;
        PulseAudioInput other;
        QVERIFY(!other.start(otherDetector));
        other.stop();
        // Events are handled in order: once this microphone is noticed, the ones above were
        // handled, and must not have been counted.
        const int module = SoundServer::loadMicrophone(QStringLiteral("lullwick_extra_mic"),
                                                       QStringLiteral("Extra microphone"));
        QVERIFY(module >= 0);
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 10000);
        QVERIFY(input.isRunning());

        SoundServer::pactl({QStringLiteral("set-source-mute"), SoundServer::microphone(),
                            QStringLiteral("toggle")});
        SoundServer::pactl({QStringLiteral("set-source-volume"), SoundServer::microphone(),
                            QStringLiteral("100%")});
        QVERIFY(SoundServer::unloadModule(sinkModule.trimmed().toInt()));
        // An input device that goes is a change as well.
        QVERIFY(SoundServer::unloadModule(module));
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 10000);
        QVERIFY(!emittedElsewhere);
    }

    void newDefaultSourceFiresTheNoticeAndCaptureFollowsIt() {
        const int module = SoundServer::loadMicrophone(QStringLiteral("lullwick_second_mic"),
                                                       QStringLiteral("Second microphone"));
        QVERIFY(module >= 0);
        ClapDetector detector;
        Events events;
        events.attach(detector, QThread::currentThread());
        PulseAudioInput input;
        QSignalSpy changed(&input, &AudioInput::configurationChanged);
        QVERIFY(!input.start(detector));

        QVERIFY(SoundServer::setDefaultSource(QStringLiteral("lullwick_second_mic")));
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 1, 10000);
        // What the listening controller does with the notice.
        input.stop();
        QVERIFY(!input.start(detector));
        QCOMPARE(input.source().name, QStringLiteral("lullwick_second_mic"));
        QCOMPARE(SoundServer::lullwickStreamSources(),
                 QStringList{QStringLiteral("lullwick_second_mic")});
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p01_double_040_quiet"))));
        QTRY_COMPARE_WITH_TIMEOUT(events.doubleClaps.load(), 1, 10000);

        // The recording source goes: the server moves the stream to the other microphone.
        changed.clear();
        QVERIFY(SoundServer::unloadModule(module));
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 1, 10000);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        input.stop();
        QVERIFY(!input.start(detector));
        QCOMPARE(input.source().name, SoundServer::microphone());
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p01_double_040_quiet"))));
        QTRY_COMPARE_WITH_TIMEOUT(events.doubleClaps.load(), 2, 10000);
    }

    // Last: it removes the test microphone and puts it back.
    void losingTheOnlyMicrophoneNeverListensToTheMonitor() {
        ClapDetector detector;
        Events events;
        events.attach(detector, QThread::currentThread());
        PulseAudioInput input;
        QSignalSpy changed(&input, &AudioInput::configurationChanged);
        QVERIFY(!input.start(detector));
        const int module = SoundServer::moduleOfSource(SoundServer::microphone());
        QVERIFY(module >= 0);
        QVERIFY(SoundServer::unloadModule(module));
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 1, 10000);

        // Whatever the server did with the stream, the claps on the monitor are not heard.
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p01_double_040_quiet"))));
        // The played sound reaches a record stream a few fragments after paplay has drained.
        QTest::qWait(500);
        QCOMPARE(events.claps.load(), 0);

        input.stop();
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
        const auto error = input.start(detector);
        QVERIFY(error);
        QCOMPARE(error->kind, DetectorError::Kind::noInputDevice);
        QVERIFY(!input.isRunning());

        bool ok = false;
        SoundServer::pactl(
            {QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
             QStringLiteral("source_name=") + SoundServer::microphone(),
             QStringLiteral("master=%1.monitor").arg(SoundServer::sink()),
             QStringLiteral("source_properties=\"device.description='Lullwick test microphone'\"")},
            &ok);
        QVERIFY(ok);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
    }

private:
    std::unique_ptr<QProcess> m_keepAlive;
};

QTEST_GUILESS_MAIN(PulseAudioInputTest)
#include "PulseAudioInputTest.moc"

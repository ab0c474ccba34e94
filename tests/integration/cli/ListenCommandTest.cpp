// `lullwick listen` against a real, private PulseAudio (run under scripts/with-sound-server):
// recorded scenes are played into the sink that the default "microphone" hears.

#include "support/SoundServer.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTime>
#include <csignal>
#include <memory>

using lullwick::test::SoundServer;

namespace {

constexpr int msPerDay = 24 * 60 * 60 * 1000;

// A running `lullwick listen`, with everything it printed.
class Listener {
public:
    explicit Listener(const QStringList& args, const QProcessEnvironment& environment =
                                                   QProcessEnvironment::systemEnvironment()) {
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(LULLWICK_BINARY),
                        QStringList{QStringLiteral("listen")} + args);
    }

    ~Listener() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    QStringList lines() {
        m_out += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_out.split(u'\n', Qt::SkipEmptyParts);
    }

    QString errors() {
        m_err += QString::fromUtf8(m_process.readAllStandardError());
        return m_err;
    }

    bool hasLine(const QString& line) { return lines().contains(line); }
    int count(const QString& line) { return int(lines().count(line)); }

    // The exit status after SIGINT or SIGTERM, or -1 when it crashed or hung.
    int stop(int signal) {
        ::kill(static_cast<pid_t>(m_process.processId()), signal);
        return finish();
    }

    int finish() {
        if (!m_process.waitForFinished(15000) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        lines();
        errors();
        return m_process.exitCode();
    }

    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_out;
    QString m_err;
};

const QString testMicrophoneLine =
    QStringLiteral("listening on Lullwick test microphone (48000 Hz, 2 ch)");
const QString changeLine = QStringLiteral("audio configuration changed, restarting capture");
const QString noInputLine = QStringLiteral("No microphone input device found.");

// Times of the double claps a scene is expected to produce, from its expected events.
QList<double> expectedDoubleClaps(const QString& scene, const QString& sensitivity) {
    QFile file(QStringLiteral(LULLWICK_CORPUS_DIR "/%1.%2.expected").arg(scene, sensitivity));
    QList<double> times;
    if (!file.open(QIODevice::ReadOnly))
        return times;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("double-clap "))
            times << line.mid(12).toDouble();
    }
    return times;
}

// Milliseconds from `origin` to a printed wall-clock time, across midnight.
int msSince(const QTime& origin, const QString& printed) {
    const QTime time = QTime::fromString(printed, QStringLiteral("HH:mm:ss.zzz"));
    int ms = origin.msecsTo(time);
    if (ms < -msPerDay / 2)
        ms += msPerDay;
    return ms;
}

} // namespace

class ListenCommandTest : public QObject {
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

    // Live, the 1024-frame buffers fall anywhere in the sound, the sink resamples to 48 kHz
    // and each buffer is timed when it is analysed: these scenes keep their double claps
    // whatever the alignment, and no clap of theirs lies within a few tens of milliseconds
    // of a time bound.
    void reportsTheDoubleClapsOfRecordedScenes_data() {
        QTest::addColumn<QString>("sensitivity");
        QTest::addColumn<QStringList>("scenes");
        QTest::newRow("low") << QStringLiteral("low")
                             << QStringList{QStringLiteral("p06_gain_sweep"),
                                            QStringLiteral("p12_kick_hat_pairs")};
        QTest::newRow("medium") << QStringLiteral("medium")
                                << QStringList{QStringLiteral("p01_double_040_quiet"),
                                               QStringLiteral("p02_refractory_then_double"),
                                               QStringLiteral("p07_speech_tts"),
                                               QStringLiteral("p13_knock_snap_pairs"),
                                               QStringLiteral("p15_stereo_ch1_decoy")};
        QTest::newRow("high") << QStringLiteral("high")
                              << QStringList{QStringLiteral("p05_triple_then_single"),
                                             QStringLiteral("p06_gain_sweep")};
    }
    void reportsTheDoubleClapsOfRecordedScenes() {
        QFETCH(QString, sensitivity);
        QFETCH(QStringList, scenes);
        Listener listener({QStringLiteral("--sensitivity"), sensitivity});
        QTRY_VERIFY_WITH_TIMEOUT(listener.hasLine(testMicrophoneLine), 10000);

        QList<QTime> starts;
        for (const QString& scene : scenes) {
            // Silence between scenes, longer than the cooldown after a double clap: no scene
            // is heard through the cooldown of the one before, a clap left pending cannot
            // pair with the next scene, and the noise floor settles as after a reset.
            QTest::qWait(3000);
            starts << QTime::currentTime();
            QVERIFY(SoundServer::play(SoundServer::scene(scene)));
        }
        QTest::qWait(1000);
        QCOMPARE(listener.stop(SIGINT), 0);

        QList<QList<int>> heard(scenes.size());
        const QRegularExpression event(
            QStringLiteral("^(clap|double-clap) (\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)$"));
        for (const QString& line : listener.lines()) {
            if (line == testMicrophoneLine)
                continue;
            const auto match = event.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            if (match.captured(1) != QLatin1String("double-clap"))
                continue;
            int scene = int(scenes.size()) - 1;
            while (scene > 0 && msSince(starts[scene], match.captured(2)) < 0)
                --scene;
            heard[scene] << msSince(starts[scene], match.captured(2));
        }
        for (qsizetype i = 0; i < scenes.size(); ++i) {
            const QList<double> expected = expectedDoubleClaps(scenes[i], sensitivity);
            QVERIFY(QFile::exists(
                QStringLiteral(LULLWICK_CORPUS_DIR "/%1.%2.expected").arg(scenes[i], sensitivity)));
            QStringList times;
            for (const int ms : heard[i])
                times << QString::number(ms / 1000.0);
            QVERIFY2(heard[i].size() == expected.size(),
                     qPrintable(QStringLiteral("%1: double claps heard at %2 s, expected %3")
                                    .arg(scenes[i], times.join(u' '))
                                    .arg(expected.size())));
            // Played from the start of paplay, heard through the sink, its monitor and a
            // record stream: a little later, never earlier.
            for (qsizetype k = 0; k < expected.size(); ++k) {
                const double lag = heard[i][k] / 1000.0 - expected[k];
                QVERIFY2(lag > -0.1 && lag < 1.0,
                         qPrintable(QStringLiteral("%1: double clap %2 heard %3 s after its place")
                                        .arg(scenes[i])
                                        .arg(k)
                                        .arg(lag)));
            }
        }
    }

    void recordsOneStreamUntilStopped_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }
    void recordsOneStreamUntilStopped() {
        QFETCH(int, signal);
        Listener listener({});
        QTRY_VERIFY_WITH_TIMEOUT(listener.hasLine(testMicrophoneLine), 10000);
        QCOMPARE(SoundServer::lullwickStreamSources(), QStringList{SoundServer::microphone()});
        QCOMPARE(listener.stop(signal), 0);
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
        QCOMPARE(listener.errors(), QString());
    }

    void withoutAMicrophoneSaysSoAndFails_data() {
        QTest::addColumn<bool>("noServer");
        QTest::newRow("no sound server") << true;
        QTest::newRow("default source is a monitor") << false;
    }
    void withoutAMicrophoneSaysSoAndFails() {
        QFETCH(bool, noServer);
        auto environment = QProcessEnvironment::systemEnvironment();
        if (noServer)
            environment.insert(QStringLiteral("PULSE_SERVER"),
                               QStringLiteral("unix:/nonexistent/lullwick/native"));
        else
            QVERIFY(
                SoundServer::setDefaultSource(SoundServer::sink() + QStringLiteral(".monitor")));
        Listener listener({}, environment);
        const int status = listener.finish();
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        QCOMPARE(status, 1);
        QCOMPARE(listener.errors(), noInputLine + u'\n');
        QCOMPARE(listener.lines(), QStringList());
    }

    void rejectsBadArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown sensitivity")
            << QStringList{QStringLiteral("--sensitivity"), QStringLiteral("loud")};
        QTest::newRow("a file") << QStringList{QStringLiteral("scene.wav")};
        QTest::newRow("tray option") << QStringList{QStringLiteral("--sleep-command=/bin/true")};
    }
    void rejectsBadArguments() {
        QFETCH(QStringList, args);
        Listener listener(args);
        QCOMPARE(listener.finish(), 2);
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
    }

    void restartsOnTheNewDefaultSourceAndEndsWhenNoMicrophoneIsLeft() {
        Listener listener({});
        QTRY_VERIFY_WITH_TIMEOUT(listener.hasLine(testMicrophoneLine), 10000);

        const int second = SoundServer::loadMicrophone(QStringLiteral("lullwick_second_mic"),
                                                       QStringLiteral("Second microphone"));
        QVERIFY(second >= 0);
        QVERIFY(SoundServer::setDefaultSource(QStringLiteral("lullwick_second_mic")));
        const QString secondLine =
            QStringLiteral("listening on Second microphone (48000 Hz, 2 ch)");
        QTRY_VERIFY_WITH_TIMEOUT(listener.hasLine(secondLine), 10000);
        QVERIFY(listener.hasLine(changeLine));
        QTRY_COMPARE_WITH_TIMEOUT(SoundServer::lullwickStreamSources(),
                                  QStringList{QStringLiteral("lullwick_second_mic")}, 10000);
        QVERIFY(SoundServer::play(SoundServer::scene(QStringLiteral("p01_double_040_quiet"))));
        QTRY_COMPARE_WITH_TIMEOUT(listener.lines().filter(QStringLiteral("double-clap ")).size(), 1,
                                  10000);

        // The recording source goes; the other microphone is the default again.
        QVERIFY(SoundServer::unloadModule(second));
        QTRY_COMPARE_WITH_TIMEOUT(listener.count(testMicrophoneLine), 2, 10000);
        QCOMPARE(listener.process().state(), QProcess::Running);

        // The last microphone goes: only the sink's monitor is left, which is no microphone.
        const int first = SoundServer::moduleOfSource(SoundServer::microphone());
        QVERIFY(first >= 0);
        QVERIFY(SoundServer::unloadModule(first));
        const int status = listener.finish();
        bool ok = false;
        SoundServer::pactl(
            {QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
             QStringLiteral("source_name=") + SoundServer::microphone(),
             QStringLiteral("master=%1.monitor").arg(SoundServer::sink()),
             QStringLiteral("source_properties=\"device.description='Lullwick test microphone'\"")},
            &ok);
        QVERIFY(ok);
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        QCOMPARE(status, 1);
        QCOMPARE(listener.errors(), noInputLine + u'\n');
        QCOMPARE(listener.lines().last(), changeLine);
        QCOMPARE(SoundServer::lullwickStreamSources().size(), 0);
    }

private:
    std::unique_ptr<QProcess> m_keepAlive;
};

QTEST_GUILESS_MAIN(ListenCommandTest)
#include "ListenCommandTest.moc"

// What the computer plays, read beside the microphone, against a real private sound server set
// up as a room (run under scripts/with-sound-server).

#include "platform/PulseAudioInput.h"
#include "support/SoundServer.h"

#include <QSignalSpy>

using namespace lullwick;
using lullwick::test::ChildProcess;
using lullwick::test::SoundServer;

namespace {

QString music() {
    return QStringLiteral(LULLWICK_CORPUS_DIR "/../playback/wonrace1-jt.ogg");
}

} // namespace

class PulsePlaybackWatchTest : public QObject {
    Q_OBJECT

    SoundServer m_server;

private slots:
    void initTestCase() { QVERIFY2(m_server.isReady(), "run through scripts/with-sound-server"); }

    void readsWhatTheDefaultSinkPlaysOnlyWhileItPlays() {
        ClapDetector detector;
        std::atomic<int> doubleClaps{0};
        detector.setOnDoubleClap([&] { ++doubleClaps; });
        PulseAudioInput input;
        QSignalSpy reading(&input, &PulseAudioInput::readingPlaybackChanged);
        QVERIFY(!input.start(detector));

        // Claps in the room are no sound of the computer's: heard, counted, nothing read.
        QVERIFY(SoundServer::play(QStringLiteral("p01_double_040_quiet")));
        QTRY_COMPARE_WITH_TIMEOUT(doubleClaps.load(), 1, 10000);
        QVERIFY(reading.isEmpty() && SoundServer::referenceStreams().isEmpty());

        std::optional<ChildProcess> player(std::in_place, QStringLiteral("paplay"),
                                           QStringList{"-d", SoundServer::speakers(), music()});
        QTRY_COMPARE_WITH_TIMEOUT(SoundServer::referenceStreams().values(),
                                  QStringList{SoundServer::monitor()}, 10000);
        QCOMPARE(SoundServer::captureStreams().values(), QStringList{SoundServer::microphone()});
        QVERIFY(input.isReadingPlayback());

        // The same claps played by the computer, heard through the air, do not count.
        QVERIFY(SoundServer::play(QStringLiteral("p01_double_040_quiet"), SoundServer::speakers()));
        QVERIFY(SoundServer::reachedStreamsOn(SoundServer::microphone()));
        QCOMPARE(doubleClaps.load(), 1);

        player.reset();
        QTRY_VERIFY_WITH_TIMEOUT(
            SoundServer::referenceStreams().isEmpty() && reading.last().first() == false, 5000);
        QVERIFY(!input.isReadingPlayback());

        // Stopped capture reads nothing, whatever plays.
        player.emplace(QStringLiteral("paplay"),
                       QStringList{"-d", SoundServer::speakers(), music()});
        QTRY_COMPARE_WITH_TIMEOUT(SoundServer::referenceStreams().size(), 1, 10000);
        input.stop();
        QVERIFY(SoundServer::referenceStreams().isEmpty() && !input.isReadingPlayback());
    }
};

QTEST_GUILESS_MAIN(PulsePlaybackWatchTest)
#include "PulsePlaybackWatchTest.moc"

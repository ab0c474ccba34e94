// `lullwick listen` against a real, private sound server, PulseAudio or PipeWire (run under
// scripts/with-sound-server).

#include "support/SoundServer.h"

#include <QRegularExpression>

using lullwick::test::SoundServer;

namespace {

const auto listening = QStringLiteral("listening on Lullwick test microphone (48000 Hz, 2 ch)\n");
const auto at = QStringLiteral(R"( \d\d:\d\d:\d\d\.\d{3}\n)");
const QString heardDouble = "clap" + at + "clap" + at + "double-clap" + at + "\\z";

// A running `lullwick listen`.
struct Listener : lullwick::test::ChildProcess {
    Listener() : ChildProcess(QStringLiteral(LULLWICK_BINARY), {QStringLiteral("listen")}) {}
};

} // namespace

class ListenCommandTest : public QObject {
    Q_OBJECT

    SoundServer m_server;

private slots:
    void initTestCase() { QVERIFY2(m_server.isReady(), "run through scripts/with-sound-server"); }

    void printsWhatItHearsAndRestartsUntilStopped_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }
    void printsWhatItHearsAndRestartsUntilStopped() {
        QFETCH(int, signal);
        Listener listener;
        QTRY_COMPARE_WITH_TIMEOUT(listener.output(), listening, 10000);
        QVERIFY(SoundServer::play(QStringLiteral("p01_double_040_quiet")));
        const QRegularExpression heard("^" + QRegularExpression::escape(listening) + heardDouble);
        QTRY_VERIFY_WITH_TIMEOUT(heard.match(listener.output()).hasMatch(), 10000);

        // As the application does, it starts capture again after a notice.
        QVERIFY(SoundServer::moveStream(SoundServer::captureStreams().firstKey(),
                                        SoundServer::monitor()));
        const QString restarted = "audio configuration changed, restarting capture\n" + listening;
        QTRY_VERIFY_WITH_TIMEOUT(listener.output().endsWith(restarted), 10000);
        // On the microphone again: nothing of the move is kept for the new stream.
        QTRY_COMPARE(SoundServer::captureStreams().values(),
                     QStringList{SoundServer::microphone()});
        ::kill(listener.pid(), signal);
        const int status = listener.wait(15000);
        QCOMPARE(listener.errors(), QString()); // first: a sanitizer's report says why
        QCOMPARE(status, 0);
    }

    void countsNothingThatTheComputerPlayed() {
        Listener listener;
        QTRY_COMPARE_WITH_TIMEOUT(listener.output(), listening, 10000);
        // Double claps the computer plays reach the microphone through the air; the room's
        // double clap after them shows that nothing of them counted.
        QVERIFY(SoundServer::play(QStringLiteral("p02_refractory_then_double"),
                                  SoundServer::speakers()));
        QVERIFY(SoundServer::play(QStringLiteral("p01_double_040_quiet")));
        const QRegularExpression heard("^" + QRegularExpression::escape(listening) +
                                       "(played-sound" + at + ")+" + heardDouble);
        QTRY_VERIFY_WITH_TIMEOUT(heard.match(listener.output()).hasMatch(), 10000);
    }

    void saysSoAndFailsWithoutAMicrophone() {
        // Last: the server, left so, ends with this process.
        QVERIFY(SoundServer::setDefaultSource(SoundServer::monitor()));
        Listener listener;
        QCOMPARE(listener.wait(15000), 1);
        QCOMPARE(listener.errors(), QStringLiteral("No microphone input device found.\n"));
        QCOMPARE(listener.output(), QString());
    }
};

QTEST_GUILESS_MAIN(ListenCommandTest)
#include "ListenCommandTest.moc"

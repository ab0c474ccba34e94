// `lullwick listen` against a real, private PulseAudio (run under scripts/with-sound-server).

#include "support/SoundServer.h"

#include <QRegularExpression>
#include <QTest>
#include <csignal>

using lullwick::test::SoundServer;

namespace {

// A running `lullwick listen`.
class Listener : public QProcess {
public:
    Listener() { start(QStringLiteral(LULLWICK_BINARY), {QStringLiteral("listen")}); }

    // Everything it printed so far.
    QString output() { return m_out += QString::fromUtf8(readAllStandardOutput()); }

    // The exit status, or -1 when it crashed or did not end.
    int status() { return waitForFinished(15000) && exitStatus() == NormalExit ? exitCode() : -1; }

private:
    QString m_out;
};

} // namespace

class ListenCommandTest : public QObject {
    Q_OBJECT

    SoundServer m_server;
    const QString m_listening =
        QStringLiteral("listening on Lullwick test microphone (48000 Hz, 2 ch)\n");

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
        QTRY_COMPARE_WITH_TIMEOUT(listener.output(), m_listening, 10000);
        QVERIFY(SoundServer::play(QStringLiteral("p01_double_040_quiet")));
        const QString at = QStringLiteral(" \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\n");
        const QRegularExpression heard(
            QRegularExpression::anchoredPattern(QRegularExpression::escape(m_listening) + "clap" +
                                                at + "clap" + at + "double-clap" + at));
        QTRY_VERIFY_WITH_TIMEOUT(heard.match(listener.output()).hasMatch(), 10000);

        // As the application does, it starts capture again after a notice.
        const QString stream = SoundServer::captureStreams().firstKey();
        QVERIFY(
            !SoundServer::pactl({"move-source-output", stream, SoundServer::monitor()}).isNull());
        QTRY_VERIFY_WITH_TIMEOUT(
            listener.output().endsWith("audio configuration changed, restarting capture\n" +
                                       m_listening),
            10000);
        ::kill(pid_t(listener.processId()), signal);
        QCOMPARE(listener.status(), 0);
        QCOMPARE(listener.readAllStandardError(), QByteArray());
    }

    void saysSoAndFailsWithoutAMicrophone() {
        QVERIFY(SoundServer::setDefaultSource(SoundServer::monitor()));
        Listener listener;
        const int status = listener.status();
        QVERIFY(SoundServer::setDefaultSource(SoundServer::microphone()));
        QCOMPARE(status, 1);
        QCOMPARE(listener.readAllStandardError(), "No microphone input device found.\n");
        QCOMPARE(listener.output(), QString());
    }
};

QTEST_GUILESS_MAIN(ListenCommandTest)
#include "ListenCommandTest.moc"

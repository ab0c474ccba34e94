#include "cli/LevelMeter.h"

#include <QRegularExpression>
#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace lullwick;

class LevelMeterTest : public QObject {
    Q_OBJECT

private slots:
    // Only on a terminal; there, under the event lines.
    void drawsTheLoudestPeakUnderTheEventLines() {
        std::FILE* file = std::tmpfile();
        QVERIFY(LevelMeter::onTerminal(file) == nullptr);
        std::fclose(file);
        int master = -1, slave = -1;
        winsize size{24, 100, 0, 0};
        QVERIFY(openpty(&master, &slave, nullptr, nullptr, &size) == 0);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        std::FILE* terminal = fdopen(slave, "w");
        {
            const auto meter = LevelMeter::onTerminal(terminal);
            QVERIFY(meter);
            // Two buffers between redraws: the louder one is shown; floor and threshold are
            // the latest.
            meter->tap().publish({0.5f, 0.1f, 0.002f, 0.12f, 5.0f});
            meter->tap().publish({0.01f, 0.003f, 0.001f, 0.12f, 3.3f});
            meter->redraw();
            std::fputs("clap 12:00:00.000\n", meter->lines());
            std::fflush(meter->lines());
            meter->redraw(); // nothing heard since: the peak falls to silence
        }
        QByteArray shown;
        char chunk[1024];
        for (ssize_t n; (n = read(master, chunk, sizeof chunk)) > 0;)
            shown.append(chunk, n);
        // The loud buffer, the event line, silence; the meter's line cleared at the end. The bar
        // from -80 to 0 dBFS: full up to the peak, ':' at the floor, '|' at the threshold.
        // clang-format off
        const QRegularExpression drawn(R"(\[#*:#*\|#+-*\] peak   -6\.0  floor  -60\.0  threshold  -18\.4 dBFS.*)"
            R"(\r\x1b\[Kclap 12:00:00\.000.*peak   -inf  floor  -60\.0  threshold  -18\.4 dBFS.*\r\x1b\[K$)",
            QRegularExpression::DotMatchesEverythingOption);
        // clang-format on
        QVERIFY2(drawn.match(QString::fromUtf8(shown)).hasMatch(), shown.constData());
        std::fclose(terminal);
        close(master);
    }
};

QTEST_GUILESS_MAIN(LevelMeterTest)
#include "LevelMeterTest.moc"

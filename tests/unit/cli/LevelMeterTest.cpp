#include "cli/LevelMeter.h"

#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace lullwick;

namespace {

// Everything the terminal received so far.
QByteArray drain(int master) {
    QByteArray text;
    char chunk[1024];
    for (ssize_t n; (n = read(master, chunk, sizeof chunk)) > 0;)
        text.append(chunk, n);
    return text;
}

} // namespace

class TestLevelMeter : public QObject {
    Q_OBJECT

private slots:
    void noMeterWhenNotATerminal() {
        std::FILE* file = std::tmpfile();
        QVERIFY(LevelMeter::onTerminal(file) == nullptr);
        std::fclose(file);
    }

    void drawsTheLoudestPeakUnderTheEventLines() {
        int master = -1, slave = -1;
        winsize size{};
        size.ws_col = 100;
        size.ws_row = 24;
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
        const QByteArray shown = drain(master);
        const QByteArray loud = "peak   -6.0  floor  -60.0  threshold  -18.4 dBFS";
        const QByteArray quiet = "peak   -inf  floor  -60.0  threshold  -18.4 dBFS";
        const qsizetype first = shown.indexOf(loud);
        const qsizetype line = shown.indexOf("\r\x1b[Kclap 12:00:00.000");
        const qsizetype last = shown.lastIndexOf(quiet);
        QVERIFY2(first >= 0 && line > first && last > line, shown.constData());
        QVERIFY(shown.endsWith("\r\x1b[K"));
        // Bar from -80 to 0 dBFS: full up to the peak, ':' at the floor, '|' at the threshold.
        const QByteArray bar =
            shown.mid(shown.indexOf('[') + 1, shown.indexOf(']') - shown.indexOf('[') - 1);
        QVERIFY2(bar.indexOf(':') < bar.indexOf('|') && bar.indexOf('|') < bar.lastIndexOf('#'),
                 bar.constData());
        QVERIFY(!bar.contains('-') || bar.indexOf('-') > bar.lastIndexOf('#'));
        std::fclose(terminal);
        close(master);
    }
};

QTEST_GUILESS_MAIN(TestLevelMeter)
#include "LevelMeterTest.moc"

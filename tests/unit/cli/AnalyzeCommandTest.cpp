// The analysis of sound files and its plot.

#include "cli/AnalyzeCommand.h"

#include "cli/AnalysisPlot.h"
#include "support/AnalyzeRun.h"

#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cmath>
#include <sndfile.h>
#include <vector>

using namespace lullwick;

class AnalyzeCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The exit status, what was printed and what was complained of, joined by "|".
    static QString analyze(const QString& path) {
        const AnalyzeRun run(path, Sensitivity::medium);
        return QString::number(run.status) + u'|' + run.out + u'|' + run.err;
    }
    // With a plot: the times of the claps, then of the double claps it printed.
    static std::array<std::vector<double>, 2> plot(const QString& path, const QString& picture) {
        AnalyzeOptions options;
        options.plotPath = picture;
        std::array<std::vector<double>, 2> times;
        for (const QString& line : AnalyzeRun(path, options).out.split(u'\n', Qt::SkipEmptyParts))
            times[line.startsWith(u"double")].push_back(line.section(u' ', 1).toDouble());
        return times;
    }

    // Channel 0 claps at 1.0 s and 1.4 s; channel 1, where there is one, at 2.0 s and 2.3 s.
    QString writeScene(int format, int channels, int rate, double seconds) {
        const QString path = m_dir.filePath(QStringLiteral("%1.%2").arg(format).arg(seconds));
        SF_INFO info{0, rate, channels, format, 0, 0};
        SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        const auto frames = std::size_t(seconds * rate), width = std::size_t(channels);
        std::vector<float> data(frames * width, 0.0f);
        for (double t : {1.0, 1.4, 2.0, 2.3})
            if (t < seconds && (t < 2.0 || channels > 1))
                data[std::size_t(t * rate) * width + (t < 2.0 ? 0 : 1)] = 0.6f;
        sf_writef_float(file, data.data(), sf_count_t(frames));
        return sf_close(file) == 0 ? path : QString();
    }

private slots:
    // Each event is stamped with the end of the 1024-frame buffer that holds it.
    void readsChannelZeroOfEveryFormat_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::newRow("flac stereo") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 2 << 48000;
        QTest::newRow("ogg vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 1 << 48000;
    }
    void readsChannelZeroOfEveryFormat() {
        QFETCH(int, format);
        QFETCH(int, channels);
        QFETCH(int, rate);
        const auto end = [&](double t) {
            return QString::number((int(t * rate) / 1024 + 1) * 1024.0 / rate, 'f', 6);
        };
        QCOMPARE(analyze(writeScene(format, channels, rate, 3.0)),
                 QStringLiteral("0|clap %1\nclap %2\ndouble-clap %2\n|").arg(end(1.0), end(1.4)));
    }

    void emptyAndUnreadableFiles() {
        QCOMPARE(analyze(writeScene(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 0.0)), "0||");
        for (const QString& path :
             {m_dir.filePath("missing.wav"), QFINDTESTDATA("AnalyzeCommandTest.cpp")}) {
            const QString result = analyze(path);
            QVERIFY(result.startsWith("1||lullwick: cannot read " + path + ": "));
            QCOMPARE(result.count(u'\n'), 1);
        }
    }

    // What the computer played, stereo at 44.1 kHz with the claps in its second channel only,
    // explains the same claps heard at 48 kHz: they count without it and not with it.
    void onsetsThePlayedSoundExplainsDoNotCount() {
        const auto write = [&](const QString& name, int rate, int channels) {
            const QString path = m_dir.filePath(name);
            SF_INFO info{0, rate, channels, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
            SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
            const auto width = std::size_t(channels);
            std::vector<float> data(std::size_t(6 * rate) * width, 0.0f);
            for (double t : {5.0, 5.4})
                for (std::size_t i = 0; i < 20; ++i)
                    data[(std::size_t(t * rate) + i) * width + width - 1] = 0.3f * float(channels);
            sf_writef_float(file, data.data(), sf_count_t(data.size() / width));
            return sf_close(file) == 0 ? path : QString();
        };
        const QString heard = write(QStringLiteral("heard.wav"), 48000, 1);
        QVERIFY(AnalyzeRun(heard, Sensitivity::medium).out.contains(u"double-clap"));
        AnalyzeOptions options;
        options.referencePath = write(QStringLiteral("played.wav"), 44100, 2);
        options.format = AnalyzeOptions::Format::jsonl;
        const AnalyzeRun run(heard, options);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.count(u"{\"event\":\"played-sound\","), 2);
        QVERIFY(!run.out.contains(u"clap\""));
        options.format = AnalyzeOptions::Format::text;
        const QStringList lines = AnalyzeRun(heard, options).out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() == 2 && lines.filter(u"played-sound ").size() == 2);
    }

    // The marks at the printed event times, the threshold at medium's 0.12 over the silence;
    // the same picture every run, and SVG by name.
    void plotsTheEventsWhereTheyWerePrinted() {
        const QString scene = writeScene(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 3.0);
        const QString png = m_dir.filePath(QStringLiteral("a.png"));
        const auto [claps, doubleClaps] = plot(scene, png);
        plot(scene, m_dir.filePath(QStringLiteral("b.png")));
        const QImage image(png);
        QVERIFY(claps.size() == 2 && image.size() == QSize(1600, 600) &&
                image == QImage(m_dir.filePath(QStringLiteral("b.png"))));
        const QRect area = AnalysisPlot::plotArea(image.size());
        // The centre of each run of the colour, one step at a time from `from` across the area.
        const auto runs = [&](QPoint from, QPoint step, QRgb colour) {
            std::vector<int> centres;
            for (QPoint p = from; area.contains(p); p += step) {
                const QPoint start = p;
                while (area.contains(p) && image.pixel(p) == colour)
                    p += step;
                if (p != start)
                    centres.push_back(QPoint::dotProduct(start + p - step, step) / 2);
            }
            return centres;
        };
        // Each mark within a pixel of the column its time falls in.
        const auto marks = [&](int y, QRgb colour, const std::vector<double>& times) {
            const std::vector<int> xs = runs({area.left(), y}, {1, 0}, colour);
            return std::equal(
                xs.begin(), xs.end(), times.begin(), times.end(), [&](int x, double t) {
                    return std::abs(x - area.left() - int(std::floor(t / 3.0 * area.width()))) <= 1;
                });
        };
        QVERIFY(marks(area.top() + 2, AnalysisPlot::clapColour, claps));
        QVERIFY(marks(area.bottom() - AnalysisPlot::markBand / 2, AnalysisPlot::doubleClapColour,
                      doubleClaps));
        const std::vector<int> line =
            runs(area.topLeft() + QPoint(20, 0), {0, 1}, AnalysisPlot::thresholdColour);
        const double db = 20 * std::log10(0.12);
        QVERIFY(line.size() == 1 &&
                std::abs(line[0] - area.top() - std::lround(-db / 80 * (area.height() - 1))) <= 1);
        const QString svg = m_dir.filePath(QStringLiteral("plot.svg"));
        QCOMPARE(plot(scene, svg)[1].size(), std::size_t{1});
        QCOMPARE(QSvgRenderer(svg).viewBox(), QRect(0, 0, 1600, 600));
    }
};

QTEST_MAIN(AnalyzeCommandTest)
#include "AnalyzeCommandTest.moc"

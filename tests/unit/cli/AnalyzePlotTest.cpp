#include "cli/AnalysisPlot.h"
#include "cli/AnalyzeCommand.h"
#include "platform/SoundFile.h"

#include <QFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>

using namespace lullwick;

namespace {

struct Event {
    QString kind;
    double t = 0.0;
};

QString scenePath(const char* scene) {
    return QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(QLatin1String(scene));
}

// Runs analyze with a plot and returns the events it printed.
std::vector<Event> analyzeWithPlot(const QString& wav, const QString& picture) {
    std::FILE* out = std::tmpfile();
    AnalyzeOptions options;
    options.plotPath = picture;
    const int status = runAnalyze(wav, options, out, stderr);
    std::rewind(out);
    std::vector<Event> events;
    char kind[32];
    double t = 0.0;
    while (std::fscanf(out, "%31s %lf", kind, &t) == 2)
        events.push_back({QString::fromLatin1(kind), t});
    std::fclose(out);
    return status == 0 ? events : std::vector<Event>{};
}

// The centre of each run of pixels of the colour along row y of the plot area.
std::vector<int> runsOnRow(const QImage& image, const QRect& area, int y, QRgb colour) {
    std::vector<int> centres;
    for (int x = area.left(); x <= area.right(); ++x) {
        if (image.pixel(x, y) != colour)
            continue;
        const int start = x;
        while (x + 1 <= area.right() && image.pixel(x + 1, y) == colour)
            ++x;
        centres.push_back((start + x) / 2);
    }
    return centres;
}

double secondsOf(const QString& wav) {
    QString error;
    const auto file = SoundFile::open(wav, &error);
    return file ? double(file->frames()) / file->sampleRate() : 0.0;
}

} // namespace

class TestAnalyzePlot : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void marksSitAtThePrintedEventTimes_data() {
        QTest::addColumn<QString>("scene");
        QTest::newRow("double in quiet") << QStringLiteral("p01_double_040_quiet");
        QTest::newRow("window edges") << QStringLiteral("p04_window_edges");
        QTest::newRow("triple then single") << QStringLiteral("p05_triple_then_single");
    }
    void marksSitAtThePrintedEventTimes() {
        QFETCH(QString, scene);
        const QString wav = scenePath(qPrintable(scene));
        const QString png = m_dir.filePath(scene + QStringLiteral(".png"));
        const std::vector<Event> events = analyzeWithPlot(wav, png);
        QVERIFY(!events.empty());
        const QImage image(png);
        QCOMPARE(image.size(), QSize(1600, 600));
        const QRect area = AnalysisPlot::plotArea(image.size());
        const double seconds = secondsOf(wav);

        std::vector<int> claps, doubleClaps;
        for (const Event& event : events) {
            const int x = area.left() + int(std::floor(event.t / seconds * area.width()));
            (event.kind == QLatin1String("clap") ? claps : doubleClaps).push_back(x);
        }
        const auto near = [](const std::vector<int>& found, const std::vector<int>& expected) {
            if (found.size() != expected.size())
                return false;
            for (std::size_t i = 0; i < found.size(); ++i) {
                if (std::abs(found[i] - expected[i]) > 1)
                    return false;
            }
            return true;
        };
        QVERIFY(near(runsOnRow(image, area, area.top() + 2, AnalysisPlot::clapColour), claps));
        QVERIFY(near(runsOnRow(image, area, area.bottom() - AnalysisPlot::markBand / 2,
                               AnalysisPlot::doubleClapColour),
                     doubleClaps));
    }

    // In a quiet room the floor term stays below medium's 0.12, which then is the threshold.
    void thresholdLineAtTheMinimumPeak() {
        const QString png = m_dir.filePath(QStringLiteral("threshold.png"));
        QVERIFY(!analyzeWithPlot(scenePath("p01_double_040_quiet"), png).empty());
        const QImage image(png);
        const QRect area = AnalysisPlot::plotArea(image.size());
        const double db = 20.0 * std::log10(0.12);
        const int expected = area.top() + int(std::lround(-db / 80.0 * (area.height() - 1)));
        const int x = area.left() + 20;
        int first = -1, last = -1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (image.pixel(x, y) == AnalysisPlot::thresholdColour) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
        QVERIFY(first >= 0);
        QVERIFY2(std::abs((first + last) / 2 - expected) <= 1,
                 qPrintable(QStringLiteral("line at %1, expected %2").arg(first).arg(expected)));
    }

    void samePictureEveryRun() {
        const QString a = m_dir.filePath(QStringLiteral("a.png"));
        const QString b = m_dir.filePath(QStringLiteral("b.png"));
        analyzeWithPlot(scenePath("p09_double_over_speech"), a);
        analyzeWithPlot(scenePath("p09_double_over_speech"), b);
        QFile first(a), second(b);
        QVERIFY(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(), second.readAll());
    }

    void svgNameWritesSvg() {
        const QString svg = m_dir.filePath(QStringLiteral("plot.svg"));
        QVERIFY(!analyzeWithPlot(scenePath("p01_double_040_quiet"), svg).empty());
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 1600, 600));
    }
};

QTEST_MAIN(TestAnalyzePlot)
#include "AnalyzePlotTest.moc"

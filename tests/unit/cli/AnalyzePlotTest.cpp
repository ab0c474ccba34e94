#include "cli/AnalysisPlot.h"
#include "cli/AnalyzeCommand.h"
#include "platform/SoundFile.h"

#include <QFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace lullwick;

namespace {

QString scenePath(const QString& scene) {
    return QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(scene);
}

// Runs analyze on a recorded scene with a plot: the times of the claps and of the double
// claps it printed; none when it failed.
std::array<std::vector<double>, 2> analyze(const QString& scene, const QString& picture) {
    std::FILE* out = std::tmpfile();
    AnalyzeOptions options;
    options.plotPath = picture;
    const int status = runAnalyze(scenePath(scene), options, out, stderr);
    std::rewind(out);
    std::array<std::vector<double>, 2> times;
    char kind[32];
    for (double t; status == 0 && std::fscanf(out, "%31s %lf", kind, &t) == 2;)
        times[std::strcmp(kind, "clap") == 0 ? 0 : 1].push_back(t);
    std::fclose(out);
    return times;
}

// The centre of each run of pixels of the colour along row y of the plot area.
std::vector<int> runsOnRow(const QImage& image, const QRect& area, int y, QRgb colour) {
    std::vector<int> centres;
    for (int x = area.left(); x <= area.right(); ++x) {
        const int start = x;
        while (x <= area.right() && image.pixel(x, y) == colour)
            ++x;
        if (x > start)
            centres.push_back((start + x - 1) / 2);
    }
    return centres;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAnalyzePlot : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // And the threshold: in the quiet start the floor term stays below medium's 0.12.
    void marksSitAtThePrintedEventTimes_data() {
        QTest::addColumn<QString>("scene");
        QTest::newRow("double in quiet") << "p01_double_040_quiet";
        QTest::newRow("window edges") << "p04_window_edges";
        QTest::newRow("triple then single") << "p05_triple_then_single";
    }
    void marksSitAtThePrintedEventTimes() {
        QFETCH(QString, scene);
        const QString png = m_dir.filePath(scene + ".png");
        const auto [claps, doubleClaps] = analyze(scene, png);
        QVERIFY(!claps.empty());
        const QImage image(png);
        QCOMPARE(image.size(), QSize(1600, 600));
        const QRect area = AnalysisPlot::plotArea(image.size());
        QString error;
        const auto file = SoundFile::open(scenePath(scene), &error);
        const double seconds = double(file->frames()) / file->sampleRate();
        // Each run of the mark's colour within a pixel of the column its time falls in.
        const auto marks = [&](int y, QRgb colour, const std::vector<double>& times) {
            const std::vector<int> runs = runsOnRow(image, area, y, colour);
            return std::equal(runs.begin(), runs.end(), times.begin(), times.end(),
                              [&](int x, double t) {
                                  return std::abs(x - area.left() -
                                                  int(std::floor(t / seconds * area.width()))) <= 1;
                              });
        };
        QVERIFY(marks(area.top() + 2, AnalysisPlot::clapColour, claps));
        QVERIFY(marks(area.bottom() - AnalysisPlot::markBand / 2, AnalysisPlot::doubleClapColour,
                      doubleClaps));
        std::vector<int> line;
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (image.pixel(area.left() + 20, y) == AnalysisPlot::thresholdColour)
                line.push_back(y);
        const double db = 20 * std::log10(0.12);
        QVERIFY(!line.empty());
        QVERIFY(std::abs((line.front() + line.back()) / 2 - area.top() -
                         int(std::lround(-db / 80 * (area.height() - 1)))) <= 1);
    }

    // The same picture every run; an SVG when the name asks for one.
    void samePictureEveryRunAndSvgByName() {
        const QString a = m_dir.filePath(QStringLiteral("a.png")),
                      b = m_dir.filePath(QStringLiteral("b.png"));
        analyze(QStringLiteral("p09_double_over_speech"), a);
        analyze(QStringLiteral("p09_double_over_speech"), b);
        QVERIFY(!contents(a).isEmpty() && contents(a) == contents(b));
        const QString svg = m_dir.filePath(QStringLiteral("plot.svg"));
        QVERIFY(!analyze(QStringLiteral("p01_double_040_quiet"), svg)[0].empty());
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 1600, 600));
    }
};

QTEST_MAIN(TestAnalyzePlot)
#include "AnalyzePlotTest.moc"

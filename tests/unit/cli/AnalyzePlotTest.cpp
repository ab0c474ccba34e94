#include "cli/AnalysisPlot.h"
#include "cli/AnalyzeCommand.h"
#include "platform/SoundFile.h"
#include "support/AnalyzeRun.h"

#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cmath>

using namespace lullwick;

namespace {

QString scenePath(const QString& scene) {
    return QStringLiteral(LULLWICK_CORPUS_DIR "/%1.wav").arg(scene);
}

// Runs analyze on a recorded scene with a plot: the times of the claps, then of the double
// claps it printed; none when it failed.
std::array<std::vector<double>, 2> analyze(const QString& scene, const QString& picture) {
    AnalyzeOptions options;
    options.plotPath = picture;
    std::array<std::vector<double>, 2> times;
    for (const QString& line : AnalyzeRun(scenePath(scene), options).out.split(u'\n'))
        if (!line.isEmpty())
            times[line.startsWith(u"double")].push_back(line.section(u' ', 1).toDouble());
    return times;
}

} // namespace

class AnalyzePlotTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // And the threshold: in the quiet start the floor term stays below medium's 0.12. The same
    // picture every run.
    void marksSitAtThePrintedEventTimes() {
        const QString scene = QStringLiteral("p01_double_040_quiet");
        const QString png = m_dir.filePath(QStringLiteral("a.png"));
        const auto [claps, doubleClaps] = analyze(scene, png);
        analyze(scene, m_dir.filePath(QStringLiteral("b.png")));
        const QImage image(png);
        QVERIFY(!claps.empty() && image.size() == QSize(1600, 600) &&
                image == QImage(m_dir.filePath(QStringLiteral("b.png"))));
        const QRect area = AnalysisPlot::plotArea(image.size());
        const auto file = SoundFile::open(scenePath(scene), nullptr);
        const double seconds = double(file->frames()) / file->sampleRate();
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
            return std::equal(xs.begin(), xs.end(), times.begin(), times.end(),
                              [&](int x, double t) {
                                  return std::abs(x - area.left() -
                                                  int(std::floor(t / seconds * area.width()))) <= 1;
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
    }

    void svgByName() {
        const QString svg = m_dir.filePath(QStringLiteral("plot.svg"));
        QVERIFY(!analyze(QStringLiteral("p01_double_040_quiet"), svg)[0].empty());
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 1600, 600));
    }
};

QTEST_MAIN(AnalyzePlotTest)
#include "AnalyzePlotTest.moc"

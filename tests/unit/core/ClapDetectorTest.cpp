// The detector, and the re-blocking of capture reads into its buffers.

#include "core/ClapDetector.h"

#include "core/FrameBlocker.h"

#include <QTest>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

using namespace lullwick;

namespace {

constexpr std::size_t frames = 1024;

// `width` samples of `peak` in silence: one sample has a crest of sqrt(1024) = 32.
struct Hit {
    float peak;
    double at;
    Sensitivity sensitivity = Sensitivity::medium;
    std::size_t width = 1;
};

std::vector<float> buffer(float peak, std::size_t width = 1) {
    std::vector<float> samples(frames, 0.0f);
    std::fill_n(samples.begin() + 100, width, peak);
    return samples;
}

} // namespace

Q_DECLARE_METATYPE(QList<Hit>)

class ClapDetectorTest : public QObject {
    Q_OBJECT

private slots:
    void levelsMatchAReferenceAtEveryLength() {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
        for (std::size_t length : {1, 15, 16, 17, 1024, 4099}) {
            std::vector<float> samples(length);
            std::generate(samples.begin(), samples.end(), [&] { return sample(random); });
            // The loudest sample sits in the scalar tail, then in the vector body.
            for (float* loudest : {&samples.back(), &samples.front()}) {
                *loudest = -0.9f;
                const double sum =
                    std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0);
                const Levels levels = measureLevels(samples.data(), length);
                QCOMPARE(levels.peak, 0.9f);
                QVERIFY(std::fabs(levels.rms - std::sqrt(sum / double(length))) < 1e-6);
            }
        }
    }

    // Per buffer: "C" clap, "CD" clap and double clap, "-" nothing.
    void detects_data() {
        using S = Sensitivity;
        using H = QList<Hit>;
        const auto below = [](double t) { return std::nextafter(t, 0.0); };
        QTest::addColumn<H>("hits");
        QTest::addColumn<QString>("events");
        // clang-format off
        // Floor 0.004 at the start, so the threshold is medium's least peak; the least peak of
        // each level is pinned by the corpus runs, which check every buffer's threshold.
        QTest::newRow("at the threshold") << H{{0.12f, 1.0}} << "C";
        QTest::newRow("below") << H{{std::nextafter(0.12f, 0.f), 1.0}} << "-";
        QTest::newRow("crest just above 2.2") << H{{0.5f, 1.0, S::medium, 211}} << "C";
        QTest::newRow("crest just below 2.2") << H{{0.5f, 1.0, S::medium, 212}} << "-";
        QTest::newRow("pair 0.15 s apart") << H{{0.5f, 0.15}, {0.5f, 0.3}} << "C CD";
        QTest::newRow("pair under 0.15 s") << H{{0.5f, 0.15}, {0.5f, below(0.3)}} << "C C";
        QTest::newRow("pair 0.75 s apart") << H{{0.5f, 0.15}, {0.5f, 0.9}} << "C CD";
        QTest::newRow("pair over 0.75 s, the second arms anew") << H{{0.5f, 0.15}, {0.5f, std::nextafter(0.9, 1.0)}, {0.5f, 1.3}} << "C C CD";
        QTest::newRow("within the refractory time") << H{{0.5f, 0.25}, {0.5f, below(0.37)}} << "C -";
        QTest::newRow("after the refractory time, before the window") << H{{0.5f, 0.25}, {0.5f, 0.37}, {0.5f, 0.57}} << "C C CD";
        QTest::newRow("suppressed onsets do not extend the refractory time")
            << H{{0.5f, 1.0}, {0.5f, 1.05}, {0.5f, 1.1}, {0.5f, 1.3}} << "C - - CD";
        QTest::newRow("cooldown until 2.5 s after a double clap")
            << H{{0.5f, 0.15}, {0.5f, 0.3}, {0.5f, 0.6}, {0.5f, below(0.3 + 2.5)}, {0.5f, 0.3 + 2.5}} << "C CD - - C";
        QTest::newRow("tuning changed between claps keeps the pair")
            << H{{0.15f, 1.0}, {0.15f, 1.3, S::low}, {0.15f, 1.5, S::high}} << "C - CD";
        // clang-format on
    }
    void detects() {
        QFETCH(QList<Hit>, hits);
        ClapDetector detector;
        QString events;
        detector.setOnClap([&] { events += u'C'; });
        detector.setOnDoubleClap([&] { events += u'D'; });
        for (const Hit& hit : hits) {
            detector.setTuning(tuningFor(hit.sensitivity));
            const qsizetype before = events.size();
            detector.process(buffer(hit.peak, hit.width), hit.at);
            events += events.size() == before ? QStringLiteral("- ") : QStringLiteral(" ");
        }
        QTEST(events.trimmed(), "events");
    }

    // Reset returns to the first floor and out of the cooldown, keeping tuning and callbacks.
    void noiseFloorFollowsQuietBuffersOnlyUntilReset() {
        ClapDetector detector;
        int claps = 0;
        detector.setOnClap([&] { ++claps; });
        detector.process({}, 1.0); // nothing to measure
        detector.process(buffer(0.0f), 1.0);
        QCOMPARE(detector.noiseFloor(), 0.004f * 0.9f);
        for (int i = 0; i < 12; ++i) // down to the minimum
            detector.process(buffer(0.0f), 1.0);
        // A level of three times the floor and more is never adopted, however long it lasts.
        for (int i = 0; i < 50; ++i)
            detector.process(std::vector<float>(frames, 0.005f), 1.0);
        QCOMPARE(detector.noiseFloor(), ClapDetector::minNoiseFloor);
        // A slowly rising background lifts the floor until floor x 5 outweighs high's 0.05.
        detector.setTuning(tuningFor(Sensitivity::high));
        for (int i = 0; i < 200 && detector.noiseFloor() < 0.02f; ++i)
            detector.process(std::vector<float>(frames, detector.noiseFloor() * 2.5f), 0.5);
        detector.process(buffer(0.06f), 1.0);
        QCOMPARE(claps, 0);
        detector.process(buffer(0.5f), 1.5);
        detector.process(buffer(0.5f), 1.8); // a double clap: the cooldown begins
        detector.reset();
        QCOMPARE(detector.noiseFloor(), ClapDetector::initialNoiseFloor);
        detector.process(buffer(0.06f), 2.0);
        QVERIFY(claps == 3 && detector.firstClapAt());
    }

    // The server's usual reads are one frame short of a block, with odd partial ones between;
    // a read of 0 frames or 0 channels is a hole in the recording and adds nothing.
    void reblocksChannelZeroOfReadsOfAnyLength_data() {
        using Reads = std::vector<std::size_t>;
        QTest::addColumn<Reads>("reads");
        QTest::addColumn<std::size_t>("channels");
        QTest::newRow("1023-frame reads") << Reads(5, 1023) << std::size_t{1};
        QTest::newRow("odd partials, stereo")
            << Reads{1, 700, 1023, 348, 2047, 5} << std::size_t{2};
        QTest::newRow("one read of several blocks") << Reads{3 * 1024 + 17} << std::size_t{6};
        QTest::newRow("empty reads in between") << Reads{0, 600, 0, 500, 0} << std::size_t{2};
        QTest::newRow("no channels") << Reads{600, 500} << std::size_t{0};
    }
    void reblocksChannelZeroOfReadsOfAnyLength() {
        QFETCH(std::vector<std::size_t>, reads);
        QFETCH(std::size_t, channels);
        FrameBlocker blocker(frames);
        std::vector<float> received;
        std::size_t total = 0;
        for (const std::size_t count : reads) {
            // Channel 0 counts up over all reads; the other channels are decoys.
            std::vector<float> read(count * std::max<std::size_t>(channels, 1), -1.0f);
            for (std::size_t i = 0; i < count; ++i)
                read[i * channels] = static_cast<float>(total + i);
            blocker.push(read.data(), count, channels, [&](std::span<const float> block) {
                QCOMPARE(block.size(), std::size_t{1024});
                received.insert(received.end(), block.begin(), block.end());
            });
            total += channels ? count : 0;
        }
        QCOMPARE(blocker.pendingFrames(), total % 1024);
        QCOMPARE(received.size(), total - total % 1024);
        for (std::size_t i = 0; i < received.size(); ++i)
            QCOMPARE(received[i], static_cast<float>(i));
    }
};

QTEST_APPLESS_MAIN(ClapDetectorTest)
#include "ClapDetectorTest.moc"

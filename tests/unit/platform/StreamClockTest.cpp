#include "platform/StreamClock.h"

#include <QTest>
#include <cmath>
#include <random>

using namespace lullwick;

namespace {

constexpr double rate = 48000.0;

// 4096-frame fragments of a device `drift` off the system's clock, as packets of 1024: each
// late by a little, one in five by up to 30 ms more, every third fragment's all at once. The
// worst distance of a read's stamp from its first frame's earliest arrival, after a second.
double worstError(double drift, std::uint64_t seed) {
    StreamClock clock(rate);
    std::mt19937_64 random(seed);
    std::exponential_distribution<double> little(2000.0);
    std::uniform_real_distribution<double> more(0.0, 0.03);
    std::bernoulli_distribution stalled(0.2);
    const auto late = [&] { return little(random) + (stalled(random) ? more(random) : 0.0); };
    const auto earliest = [&](std::size_t frame) {
        return 1000.0 + static_cast<double>(frame) / rate * (1.0 + drift);
    };
    double worst = 0.0;
    for (std::size_t frame = 0; frame < 600 * 4096; frame += 4096) { // about 50 s
        const double together = earliest(frame + 4096) + late();
        for (std::size_t packet = 0; packet < 4096; packet += 1024) {
            const std::size_t end = frame + packet + 1024;
            const bool burst = frame % (3 * 4096) == 0;
            const double start = clock.arrive(burst ? together : earliest(end) + late(), 1024);
            if (frame > 12 * 4096)
                worst = std::max(worst, std::abs(start - earliest(frame + packet)));
            clock.take(1024);
        }
    }
    return worst;
}

} // namespace

class StreamClockTest : public QObject {
    Q_OBJECT

private slots:
    void stampsFollowTheFramesNotTheArrivals() {
        QVERIFY2(worstError(0.0, 1) < 0.001, "late reads moved the stamps");
        QVERIFY2(worstError(2e-4, 2) < 0.001, "a slow device clock was not followed");
        QVERIFY2(worstError(-2e-4, 3) < 0.001, "a fast device clock was not followed");

        // Frames lost (an arrival far later than the frames explain): it starts again there.
        StreamClock clock(rate);
        clock.arrive(10.0, 1024);
        clock.take(1024);
        QCOMPARE(clock.arrive(20.0, 1024), 20.0 - 1024 / rate);
        QCOMPARE(clock.timeOf(512), 20.0 - 512 / rate);
    }
};

QTEST_APPLESS_MAIN(StreamClockTest)
#include "StreamClockTest.moc"

#include "platform/StreamClock.h"

#include <QTest>
#include <cmath>
#include <random>

using namespace lullwick;

namespace {

constexpr double rate = 48000.0;

// A server delivering 4096-frame fragments of a device whose clock runs `drift` off the
// system's, each fragment as packets of 1024: every packet late by 2 ms and a little, one in
// five by up to 30 ms more, every third fragment's packets all at once. Returns the worst
// distance of a read's stamp from the time its first frame arrived at the earliest, after the
// first second.
double worstError(double drift, std::uint64_t seed) {
    StreamClock clock(rate);
    std::mt19937_64 random(seed);
    std::exponential_distribution<double> little(2000.0);
    std::uniform_real_distribution<double> more(0.0, 0.03);
    std::bernoulli_distribution stalled(0.2);
    const auto late = [&] { return little(random) + (stalled(random) ? more(random) : 0.0); };
    const auto earliest = [&](std::size_t frame) {
        return 1000.0 + static_cast<double>(frame) / rate * (1.0 + drift) + 0.002;
    };
    double worst = 0.0;
    std::size_t frame = 0;
    for (int fragment = 0; fragment < 600; ++fragment) { // about 50 s
        const bool together = fragment % 3 == 0;
        const double fragmentArrival = earliest(frame + 4096) + late();
        for (std::size_t packet = 0; packet < 4; ++packet) {
            const std::size_t end = frame + 1024;
            const double arrived = together ? fragmentArrival : earliest(end) + late();
            const double start = clock.arrive(arrived, 1024);
            if (fragment > 12)
                worst = std::max(worst, std::abs(start - earliest(frame)));
            clock.take(1024);
            frame = end;
        }
    }
    return worst;
}

} // namespace

class StreamClockTest : public QObject {
    Q_OBJECT

private slots:
    void stampsFollowTheFramesNotTheArrivals() {
        // Packets of a fragment that arrive together follow on from each other.
        StreamClock clock(rate);
        const double first = clock.arrive(10.0, 4096);
        clock.take(1024);
        QCOMPARE(clock.arrive(10.0, 3072), first + 1024 / rate);
        QCOMPARE(clock.timeOf(512), first + 1536 / rate);
        clock.take(3072);
        // A late read keeps its place; an earlier one than the clock allowed moves it back.
        QCOMPARE(clock.arrive(10.0 + 4096 / rate + 0.04, 1024), first + 4096 / rate);
        clock.take(1024);
        QCOMPARE(clock.arrive(first + 6144 / rate - 0.001, 1024), first + 5120 / rate - 0.001);
        clock.take(1024);

        // Frames lost (an arrival far later than the frames explain): it starts again there.
        const double resumed = 20.0;
        QCOMPARE(clock.arrive(resumed, 1024), resumed - 1024 / rate);

        // A fresh stream knows nothing of the old one.
        clock.reset();
        QCOMPARE(clock.arrive(5.0, 2048), 5.0 - 2048 / rate);
    }

    void stampsStayTrueUnderJitterAndDrift() {
        QVERIFY2(worstError(0.0, 1) < 0.001, "late reads moved the stamps");
        // A device 200 ppm slow or fast is followed.
        QVERIFY2(worstError(2e-4, 2) < 0.001, "a slow device clock was not followed");
        QVERIFY2(worstError(-2e-4, 3) < 0.001, "a fast device clock was not followed");
    }
};

QTEST_APPLESS_MAIN(StreamClockTest)
#include "StreamClockTest.moc"

#include "core/ClapDetector.h"

#include <QTest>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace lullwick;

namespace {

constexpr std::size_t frames = 1024;

// One sharp sample in silence: peak p, crest sqrt(1024) = 32.
std::vector<float> impulse(float peak) {
    std::vector<float> buffer(frames, 0.0f);
    buffer[100] = peak;
    return buffer;
}

std::vector<float> silence() {
    return std::vector<float>(frames, 0.0f);
}

// The time t with t - t0 == spacing exactly in double precision, if there is one near.
double exactlyAfter(double t0, double spacing) {
    double t = t0 + spacing;
    for (int step = 0; step < 16 && t - t0 != spacing; ++step)
        t = std::nextafter(t, (t - t0 < spacing) ? INFINITY : -INFINITY);
    return t - t0 == spacing ? t : NAN;
}

// Records the events in order, as "clap@t" / "double@t".
struct Recorder {
    std::vector<std::string> events;
    double now = 0.0;

    void attach(ClapDetector& detector) {
        detector.setOnClap([this] { events.push_back("clap@" + std::to_string(now)); });
        detector.setOnDoubleClap([this] { events.push_back("double@" + std::to_string(now)); });
    }
    void feed(ClapDetector& detector, const std::vector<float>& buffer, double at) {
        now = at;
        detector.process(buffer, at);
    }
    int count(const std::string& kind) const {
        int n = 0;
        for (const auto& e : events)
            n += e.rfind(kind + "@", 0) == 0;
        return n;
    }
};

} // namespace

class TestClapDetector : public QObject {
    Q_OBJECT

private slots:
    void levelsMatchAReferenceAtEveryLength_data() {
        QTest::addColumn<int>("length");
        for (int n : {1, 3, 4, 15, 16, 17, 31, 1023, 1024, 1025, 4099})
            QTest::addRow("n=%d", n) << n;
    }
    void levelsMatchAReferenceAtEveryLength() {
        QFETCH(int, length);
        std::mt19937 random(static_cast<unsigned>(length));
        std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
        std::vector<float> buffer(static_cast<std::size_t>(length));
        for (float& x : buffer)
            x = sample(random);
        // The loudest sample sits in the scalar tail, then in the vector body.
        buffer.back() = -0.9f;
        double sum = 0.0;
        for (float x : buffer)
            sum += double(x) * double(x);
        Levels levels = measureLevels(buffer.data(), buffer.size());
        QCOMPARE(levels.peak, 0.9f);
        QVERIFY(std::fabs(levels.rms - std::sqrt(sum / length)) < 1e-6);

        buffer.back() = 0.0f;
        buffer.front() = 0.95f;
        levels = measureLevels(buffer.data(), buffer.size());
        QCOMPARE(levels.peak, 0.95f);
    }

    void emptyBufferChangesNothing() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        detector.process({}, 5.0);
        QCOMPARE(detector.noiseFloor(), ClapDetector::initialNoiseFloor);
        QVERIFY(recorder.events.empty());
    }

    void silenceLowersTheFloorToItsBottom() {
        ClapDetector detector;
        const double expected[] = {0.0036,       0.00324,       0.002916,
                                   0.0026244,    0.00236196,    0.002125764,
                                   0.0019131876, 0.00172186884, 0.001549681956};
        for (double floor : expected) {
            detector.process(silence(), 1.0);
            QVERIFY2(std::fabs(detector.noiseFloor() - floor) < 1e-9,
                     qPrintable(QString::number(detector.noiseFloor(), 'g', 10)));
        }
        detector.process(silence(), 1.0);
        QCOMPARE(detector.noiseFloor(), 0.0015f);
        detector.process(silence(), 1.0);
        QCOMPARE(detector.noiseFloor(), 0.0015f);
    }

    void loudBackgroundIsNeverAdopted() {
        ClapDetector detector;
        for (int i = 0; i < 12; ++i)
            detector.process(silence(), 1.0);
        QCOMPARE(detector.noiseFloor(), 0.0015f);
        // rms 0.01 >= 3 x 0.0015: the floor stays, however long it lasts.
        const std::vector<float> hum(frames, 0.01f);
        for (int i = 0; i < 50; ++i)
            detector.process(hum, 1.0);
        QCOMPARE(detector.noiseFloor(), 0.0015f);
        // Just under three times the floor is adopted a tenth of the way.
        const std::vector<float> murmur(frames, 0.0044f);
        detector.process(murmur, 1.0);
        QVERIFY(detector.noiseFloor() > 0.0015f);
    }

    void peakEqualToTheThresholdPasses() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        // Floor 0.004 at reset: threshold = max(0.12, 0.024) = 0.12.
        recorder.feed(detector, impulse(std::nextafter(0.12f, 0.0f)), 1.0);
        QCOMPARE(recorder.count("clap"), 0);
        recorder.feed(detector, impulse(0.12f), 2.0);
        QCOMPARE(recorder.count("clap"), 1);
    }

    void floorTermRaisesTheThreshold() {
        // A fresh detector on high takes a 0.06 click (threshold 0.05)...
        ClapDetector fresh;
        fresh.setTuning(tuningFor(Sensitivity::high));
        Recorder freshEvents;
        freshEvents.attach(fresh);
        freshEvents.feed(fresh, impulse(0.06f), 1.0);
        QCOMPARE(freshEvents.count("clap"), 1);

        // ...but not once a slowly rising background has lifted the floor past 0.02, where
        // floor x 5 decides the threshold.
        ClapDetector detector;
        detector.setTuning(tuningFor(Sensitivity::high));
        Recorder recorder;
        recorder.attach(detector);
        for (int i = 0; i < 200 && detector.noiseFloor() < 0.02f; ++i)
            detector.process(std::vector<float>(frames, detector.noiseFloor() * 2.5f), 0.5);
        QVERIFY(detector.noiseFloor() >= 0.02f);
        recorder.feed(detector, impulse(0.06f), 1.0);
        QCOMPARE(recorder.count("clap"), 0);
    }

    void crestFactorBoundary() {
        // Near-silent buffers divide by 1e-6, so the crest is peak / 1e-6: make it exactly
        // 2.2, then one step less.
        float peak = 2.2f * 0.000001f;
        while (peak / 0.000001f < 2.2f)
            peak = std::nextafter(peak, 1.0f);
        while (std::nextafter(peak, 0.0f) / 0.000001f >= 2.2f)
            peak = std::nextafter(peak, 0.0f);
        QCOMPARE(peak / 0.000001f, 2.2f);

        ClapDetector below;
        below.setTuning({1e-7f, 0.0f});
        Recorder belowEvents;
        belowEvents.attach(below);
        belowEvents.feed(below, impulse(std::nextafter(peak, 0.0f)), 1.0);
        QCOMPARE(belowEvents.count("clap"), 0);

        ClapDetector at;
        at.setTuning({1e-7f, 0.0f});
        Recorder atEvents;
        atEvents.attach(at);
        atEvents.feed(at, impulse(peak), 1.0);
        QCOMPARE(atEvents.count("clap"), 1);
    }

    void steadyToneIsNeverAnOnset() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        std::vector<float> tone(frames);
        for (std::size_t i = 0; i < frames; ++i)
            tone[i] = 0.9f * static_cast<float>(
                                 std::sin(2.0 * std::numbers::pi * 440.0 * double(i) / 48000.0));
        for (int k = 0; k < 100; ++k)
            recorder.feed(detector, tone, 1.0 + k * 0.0213);
        QVERIFY(recorder.events.empty());
    }

    void doubleClapAtBothWindowEnds_data() {
        QTest::addColumn<double>("spacing");
        QTest::newRow("0.15") << 0.15;
        QTest::newRow("0.75") << 0.75;
    }
    void doubleClapAtBothWindowEnds() {
        QFETCH(double, spacing);
        const double t0 = 0.15;
        const double t1 = exactlyAfter(t0, spacing);
        QVERIFY(!std::isnan(t1));
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        recorder.feed(detector, impulse(0.5f), t0);
        recorder.feed(detector, impulse(0.5f), t1);
        const std::vector<std::string> expected{"clap@" + std::to_string(t0),
                                                "clap@" + std::to_string(t1),
                                                "double@" + std::to_string(t1)};
        QCOMPARE(recorder.events, expected);
        QVERIFY(!detector.firstClapAt());
        QCOMPARE(detector.cooldownUntil(), t1 + 2.5);
    }

    void justOutsideTheWindowRearms() {
        const double t0 = 0.15;
        for (double spacing : {0.15, 0.75}) {
            double t1 = exactlyAfter(t0, spacing);
            t1 = spacing < 0.5 ? std::nextafter(t1, 0.0) : std::nextafter(t1, 10.0);
            ClapDetector detector;
            Recorder recorder;
            recorder.attach(detector);
            recorder.feed(detector, impulse(0.5f), t0);
            recorder.feed(detector, impulse(0.5f), t1);
            QCOMPARE(recorder.count("clap"), 2);
            QCOMPARE(recorder.count("double"), 0);
            QCOMPARE(*detector.firstClapAt(), t1);
        }
    }

    void refractoryBoundary() {
        const double t0 = 0.2;
        const double exact = exactlyAfter(t0, 0.12);
        QVERIFY(!std::isnan(exact));

        ClapDetector suppressed;
        Recorder early;
        early.attach(suppressed);
        early.feed(suppressed, impulse(0.5f), t0);
        early.feed(suppressed, impulse(0.5f), std::nextafter(exact, 0.0));
        QCOMPARE(early.count("clap"), 1);
        QCOMPARE(suppressed.lastOnsetAt(), t0);
        QCOMPARE(*suppressed.firstClapAt(), t0);

        ClapDetector accepted;
        Recorder onTime;
        onTime.attach(accepted);
        onTime.feed(accepted, impulse(0.5f), t0);
        onTime.feed(accepted, impulse(0.5f), exact);
        QCOMPARE(onTime.count("clap"), 2);
        // 0.12 is inside refractory's reach but below the window: the pair restarts.
        QCOMPARE(onTime.count("double"), 0);
        QCOMPARE(*accepted.firstClapAt(), exact);
    }

    void suppressedOnsetsDoNotExtendTheRefractoryTime() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        const double t0 = 1000000.0;
        recorder.feed(detector, impulse(0.5f), t0);
        recorder.feed(detector, impulse(0.5f), t0 + 0.05);
        recorder.feed(detector, impulse(0.5f), t0 + 0.10);
        QCOMPARE(detector.lastOnsetAt(), t0);
        recorder.feed(detector, impulse(0.5f), t0 + 0.30);
        QCOMPARE(recorder.count("clap"), 2);
        QCOMPARE(recorder.count("double"), 1);
    }

    void onsetAfterTheRefractoryButBeforeTheWindowRestartsThePair() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        const double t0 = 1000000.0;
        recorder.feed(detector, impulse(0.5f), t0);
        recorder.feed(detector, impulse(0.5f), t0 + 0.13);
        QCOMPARE(recorder.count("clap"), 2);
        QCOMPARE(recorder.count("double"), 0);
        recorder.feed(detector, impulse(0.5f), t0 + 0.13 + 0.2);
        QCOMPARE(recorder.count("double"), 1);
    }

    void cooldownSwallowsEverythingUntilItsEnd() {
        const double t0 = 0.15;
        const double t1 = exactlyAfter(t0, 0.15);
        const double end = t1 + 2.5;
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        recorder.feed(detector, impulse(0.5f), t0);
        recorder.feed(detector, impulse(0.5f), t1);
        QCOMPARE(recorder.count("double"), 1);

        // A third clap 0.3 s later yields nothing, not even a clap; quiet buffers still adapt.
        recorder.feed(detector, impulse(0.5f), t1 + 0.3);
        recorder.feed(detector, silence(), t1 + 0.4);
        QCOMPARE(detector.noiseFloor(), 0.004f * 0.9f);
        recorder.feed(detector, impulse(0.5f), std::nextafter(end, 0.0));
        QCOMPARE(recorder.count("clap"), 2);
        QVERIFY(!detector.firstClapAt());

        // At exactly cooldownUntil the analysis goes on and arms a new pair.
        recorder.feed(detector, impulse(0.5f), end);
        QCOMPARE(recorder.count("clap"), 3);
        QCOMPARE(*detector.firstClapAt(), end);
    }

    void onsetsNearZeroAreSuppressedByTheInitialRefractory() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        recorder.feed(detector, impulse(0.5f), 0.1);
        QCOMPARE(recorder.count("clap"), 0);
        recorder.feed(detector, impulse(0.5f), 0.12);
        QCOMPARE(recorder.count("clap"), 1);
    }

    void tuningChangeAffectsOnlyTheNextBufferAndKeepsTheState() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        const double t0 = 1000000.0;
        recorder.feed(detector, impulse(0.15f), t0);
        QCOMPARE(recorder.count("clap"), 1);
        const float floor = detector.noiseFloor();

        detector.setTuning(tuningFor(Sensitivity::low));
        QCOMPARE(detector.tuning(), tuningFor(Sensitivity::low));
        QCOMPARE(detector.noiseFloor(), floor);
        QCOMPARE(*detector.firstClapAt(), t0);
        QCOMPARE(detector.lastOnsetAt(), t0);
        recorder.feed(detector, impulse(0.15f), t0 + 0.3);
        QCOMPARE(recorder.count("clap"), 1); // 0.15 < low's 0.22

        detector.setTuning(tuningFor(Sensitivity::high));
        recorder.feed(detector, impulse(0.15f), t0 + 0.5);
        QCOMPARE(recorder.count("double"), 1); // still paired with the first clap
    }

    void resetReturnsToIdleButKeepsTuningAndCallbacks() {
        ClapDetector detector;
        Recorder recorder;
        recorder.attach(detector);
        detector.setTuning(tuningFor(Sensitivity::high));
        recorder.feed(detector, impulse(0.5f), 0.5);
        recorder.feed(detector, impulse(0.5f), 0.9);
        recorder.feed(detector, silence(), 1.0);
        detector.reset();
        QCOMPARE(detector.noiseFloor(), 0.004f);
        QCOMPARE(detector.lastOnsetAt(), 0.0);
        QVERIFY(!detector.firstClapAt());
        QCOMPARE(detector.cooldownUntil(), 0.0);
        QCOMPARE(detector.tuning(), tuningFor(Sensitivity::high));
        recorder.feed(detector, impulse(0.5f), 1.2); // no cooldown left, callbacks still set
        QCOMPARE(recorder.count("clap"), 3);
    }

    void missingCallbacksStillAdvanceTheState() {
        ClapDetector detector;
        detector.process(impulse(0.5f), 0.15);
        detector.process(impulse(0.5f), 0.5);
        QVERIFY(!detector.firstClapAt());
        QCOMPARE(detector.cooldownUntil(), 3.0);
    }

    void tuningIsReplacedAsOneUnit() {
        // A reader racing a writer must only ever see one of the two pairs.
        ClapDetector detector;
        const Tuning a = tuningFor(Sensitivity::low);
        const Tuning b = tuningFor(Sensitivity::high);
        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (int i = 0; i < 200000; ++i)
                detector.setTuning(i % 2 ? a : b);
            done = true;
        });
        bool torn = false;
        while (!done) {
            const Tuning seen = detector.tuning();
            torn = torn || !(seen == a || seen == b || seen == tuningFor(Sensitivity::medium));
        }
        writer.join();
        QVERIFY(!torn);
    }
};

QTEST_APPLESS_MAIN(TestClapDetector)
#include "ClapDetectorTest.moc"

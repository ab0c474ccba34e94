#include "core/ClapDetector.h"

#include <QTest>
#include <cmath>
#include <random>
#include <vector>

using namespace lullwick;

namespace {

constexpr int rate = 48000;
constexpr std::size_t frames = 1024;
constexpr double origin = 800000000.0;

// Played sound full of what the plain analysis takes for claps: sharp decaying noise bursts
// every 0.2 … 0.5 s over a bed of noise, loud enough to pass every sensitivity.
std::vector<float> drums(double seconds, unsigned seed, float bed = 0.003f, float hit = 0.8f) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    std::uniform_real_distribution<double> gap(0.2, 0.5);
    std::vector<float> out(static_cast<std::size_t>(seconds * rate));
    for (float& x : out)
        x = bed * noise(random);
    for (double at = 0.1; at < seconds - 0.2; at += gap(random)) {
        const auto first = static_cast<std::size_t>(at * rate);
        for (std::size_t i = 0; i < 4800 && first + i < out.size(); ++i)
            out[first + i] += hit * noise(random) * std::exp(-static_cast<float>(i) / 400.0f);
    }
    for (float& x : out)
        x = std::clamp(x, -1.0f, 1.0f);
    return out;
}

// Noise at a new level every 5 ms, as dense as music in its rises.
std::vector<float> chatter(double seconds, unsigned seed, float peak) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    std::uniform_real_distribution<float> level(0.0f, peak);
    std::vector<float> out(static_cast<std::size_t>(seconds * rate));
    float now = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i) {
        now = i % 256 == 0 ? level(random) : now;
        out[i] = std::clamp(now * noise(random) / 3.0f, -1.0f, 1.0f);
    }
    return out;
}

// A low thud, a decaying 60 Hz tone: loud, but with nothing of a clap's sound.
void addKick(std::vector<float>& played, double at, float peak) {
    const auto first = static_cast<std::size_t>(at * rate);
    for (std::size_t i = 0; peak > 0.0f && i < rate / 2 && first + i < played.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        played[first + i] +=
            peak * static_cast<float>(std::sin(2.0 * M_PI * 60.0 * t) * std::exp(-t / 0.1));
    }
}

// What a microphone in the room hears of it: later, quieter, optionally reverberant (an
// exponentially decaying noise tail) and distorted (soft clipping).
struct Room {
    double delay = 0.06;
    float couplingDb = -12.0f;
    bool reverberant = false;
    bool distorting = false;
};

std::vector<float> heardIn(const Room& room, const std::vector<float>& played) {
    const auto delay = static_cast<std::size_t>(room.delay * rate);
    const float gain = std::pow(10.0f, room.couplingDb / 20.0f);
    std::vector<float> out(played.size(), 0.0f);
    for (std::size_t i = 0; i + delay < out.size(); ++i)
        out[i + delay] = gain * played[i];
    if (room.reverberant) {
        std::mt19937 random(3);
        std::normal_distribution<float> noise(0.0f, 1.0f);
        std::vector<float> tail(out.size(), 0.0f);
        // A sparse tail of echoes over 0.4 s.
        for (int echo = 0; echo < 40; ++echo) {
            const auto lag = static_cast<std::size_t>(240 + echo * 480);
            const float weight =
                0.35f * noise(random) * std::exp(-static_cast<float>(echo) / 10.0f);
            for (std::size_t i = lag; i < out.size(); ++i)
                tail[i] += weight * out[i - lag];
        }
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] += tail[i];
    }
    if (room.distorting) {
        for (float& x : out)
            x = std::tanh(2.0f * x) / 2.0f;
    }
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 0.002f);
    for (float& x : out)
        x += noise(random);
    return out;
}

// A clap that takes `attack` bursts, each twice as loud and 4 ms after the one before, to rise.
void addClap(std::vector<float>& heard, double at, float peak, int attack = 0) {
    for (int k = attack; k > 0; --k)
        addClap(heard, at - 0.004 * k, peak / static_cast<float>(1 << k));
    std::mt19937 random(static_cast<unsigned>(at * 1000));
    std::normal_distribution<float> noise(0.0f, 1.0f);
    const auto first = static_cast<std::size_t>(at * rate);
    for (std::size_t i = 0; i < 1200 && first + i < heard.size(); ++i)
        heard[first + i] += (i == 0 ? peak : peak * std::clamp(noise(random) / 3.0f, -1.0f, 1.0f)) *
                            std::exp(-static_cast<float>(i) / 150.0f);
}

struct Events {
    std::vector<double> doubleClaps;
    int claps = 0;
    int played = 0;
};

// Analyses heard in buffers as capture would; the played sound is fed in chunks `lateBy`
// seconds after the buffers of the same moment, and `stopsAt` seconds in it stops. Read from
// `readFrom` on, it is announced at the start, as live capture announces it when it plays.
Events analyse(const std::vector<float>& heard, const std::vector<float>* played,
               Sensitivity sensitivity = Sensitivity::high, double lateBy = 0.0,
               double stopsAt = 1e9, double readFrom = 0.0) {
    ClapDetector detector;
    detector.setTuning(tuningFor(sensitivity));
    detector.setSampleRate(rate);
    Events events;
    detector.setOnClap([&] { ++events.claps; });
    detector.setOnDoubleClap(
        [&] { events.doubleClaps.push_back(detector.lastOnsetAt() - origin); });
    detector.setOnPlayedSound([&](double) { ++events.played; });
    detector.reset();
    std::size_t fed = static_cast<std::size_t>(readFrom * rate) / frames * frames;
    if (fed > 0)
        detector.expectReference(origin);
    for (std::size_t first = 0; first + frames <= heard.size(); first += frames) {
        const double now = origin + static_cast<double>(first + frames) / rate;
        while (played && fed + frames <= played->size() &&
               static_cast<double>(fed) / rate < std::min(now - origin - lateBy, stopsAt)) {
            detector.feedReference(std::span(played->data() + fed, frames),
                                   origin + static_cast<double>(fed) / rate);
            fed += frames;
        }
        detector.process(std::span(heard.data() + first, frames), now);
    }
    return events;
}

} // namespace

Q_DECLARE_METATYPE(Room)

class PlaybackGateTest : public QObject {
    Q_OBJECT

private slots:
    // The same sound that the plain analysis takes for many double claps.
    void playedSoundAloneNeverCounts_data() {
        QTest::addColumn<Room>("room");
        QTest::addColumn<double>("lateBy");
        QTest::addColumn<double>("readFrom");
        QTest::newRow("0 dB, 20 ms") << Room{0.02, 0.0f} << 0.0 << 0.0;
        QTest::newRow("-6 dB, 150 ms, reverberant") << Room{0.15, -6.0f, true} << 0.0 << 0.0;
        QTest::newRow("-12 dB, 60 ms, distorting") << Room{0.06, -12.0f, false, true} << 0.0 << 0.0;
        QTest::newRow("-18 dB, 60 ms, reverberant") << Room{0.06, -18.0f, true} << 0.0 << 0.0;
        QTest::newRow("0 dB, 60 ms, played sound 90 ms late") << Room{0.06, 0.0f} << 0.09 << 0.0;
        // Its stream is found and opened only after it began to play.
        QTest::newRow("0 dB, 60 ms, read from 0.8 s on") << Room{0.06, 0.0f} << 0.0 << 0.8;
    }
    void playedSoundAloneNeverCounts() {
        QFETCH(Room, room);
        QFETCH(double, lateBy);
        QFETCH(double, readFrom);
        const auto played = drums(30.0, 5);
        const auto heard = heardIn(room, played);
        QVERIFY(analyse(heard, nullptr).doubleClaps.size() >= 10);
        const Events events = analyse(heard, &played, Sensitivity::high, lateBy, 1e9, readFrom);
        QCOMPARE(events.doubleClaps.size(), std::size_t{0});
        QVERIFY(events.played > 20);
    }

    // Claps in the room while the drums play, as long as played sound does not drown them; a
    // played stream that stalls or ends never keeps a clap from counting.
    void aClapInTheRoomStillCounts_data() {
        QTest::addColumn<Room>("room");
        QTest::addColumn<double>("stopsAt");
        QTest::addColumn<float>("bed");
        QTest::addColumn<float>("clapPeak");
        QTest::addColumn<int>("attack");
        QTest::addColumn<float>("kick");
        QTest::addColumn<float>("tone");
        QTest::newRow("-12 dB, 60 ms, reverberant")
            << Room{0.06, -12.0f, true} << 1e9 << 0.003f << 0.8f << 0 << 0.0f << 0.0f;
        QTest::newRow("headphones")
            << Room{0.06, -200.0f} << 1e9 << 0.003f << 0.8f << 0 << 0.0f << 0.0f;
        QTest::newRow("played stream stalls")
            << Room{0.06, -12.0f} << 12.0 << 0.003f << 0.8f << 0 << 0.0f << 0.0f;
        // Learned from every slot alike, the coupling stays below what the played onsets show,
        // and the drums' echoes make double claps of their own.
        QTest::newRow("-12 dB, 60 ms, over a loud bed")
            << Room{0.06, -12.0f} << 1e9 << 0.05f << 0.8f << 0 << 0.0f << 0.0f;
        // Its first bursts, within what the played sound explains, must not teach the gate
        // to explain the loudest.
        QTest::newRow("-18 dB, 60 ms, a clap that rises over 12 ms")
            << Room{0.06, -18.0f} << 1e9 << 0.003f << 0.3f << 3 << 0.0f << 0.0f;
        // Just after a kick louder than itself, but one with hardly anything where a clap's
        // sound is.
        QTest::newRow("-12 dB, 60 ms, a quiet clap just after a loud kick")
            << Room{0.06, -12.0f} << 1e9 << 0.003f << 0.2f << 0 << 0.9f << 0.0f;
        // The room's own steady sound must not teach the gate to explain what is heard over it.
        QTest::newRow("-12 dB, 60 ms, a clap over a tone in the room")
            << Room{0.06, -12.0f} << 1e9 << 0.003f << 0.5f << 0 << 0.0f << 0.3f;
    }
    void aClapInTheRoomStillCounts() {
        QFETCH(Room, room);
        QFETCH(double, stopsAt);
        QFETCH(float, bed);
        QFETCH(float, clapPeak);
        QFETCH(int, attack);
        QFETCH(float, kick);
        QFETCH(float, tone);
        // With kicks: a beat of them instead of the drums, and one just before each clap. Under
        // a tone, drums that rise little over it.
        const std::vector<double> pairs{14.03, 19.51, 25.27};
        auto played = drums(30.0, 9, bed, kick > 0.0f ? 0.0f : tone > 0.0f ? 0.2f : 0.8f);
        for (double at = 0.1; kick > 0.0f && at < 29.0; at += 0.5)
            addKick(played, at, kick);
        for (const double at : pairs) {
            addKick(played, at - room.delay - 0.08, kick);
            addKick(played, at + 0.3 - room.delay - 0.08, kick);
        }
        // The speakers fall silent, but the played stream never says so.
        std::fill(played.begin() + std::min(played.size(), std::size_t(stopsAt * rate)),
                  played.end(), 0.0f);
        auto heard = heardIn(room, played);
        for (const double at : pairs) {
            const auto from = static_cast<std::size_t>((at - 2.4) * rate);
            for (std::size_t i = 0; tone > 0.0f && i < static_cast<std::size_t>(3.0 * rate); ++i)
                heard[from + i] += tone * static_cast<float>(std::sin(
                                              2.0 * M_PI * 2000.0 * static_cast<double>(i) / rate));
            addClap(heard, at, clapPeak, attack);
            addClap(heard, at + 0.3, clapPeak, attack);
        }
        const Events events = analyse(heard, &played, Sensitivity::medium, 0.0, stopsAt);
        QCOMPARE(events.doubleClaps.size(), pairs.size());
        for (std::size_t i = 0; i < pairs.size(); ++i)
            QVERIFY(std::fabs(events.doubleClaps[i] - (pairs[i] + 0.3)) < 0.03);
    }

    void learnsDelayAndCoupling_data() {
        QTest::addColumn<Room>("room");
        QTest::addColumn<float>("roomNoise");
        QTest::newRow("0 dB, 20 ms") << Room{0.02, 0.0f} << 0.0f;
        QTest::newRow("-18 dB, 150 ms") << Room{0.15, -18.0f} << 0.0f;
        // The room's own sound, loud and as dense as music, blurs for a while what the delay
        // is; the delay does not change with it.
        QTest::newRow("-12 dB, 60 ms, then noise in the room") << Room{0.06, -12.0f} << 1.0f;
    }
    void learnsDelayAndCoupling() {
        QFETCH(Room, room);
        QFETCH(float, roomNoise);
        // The drums over sound that rises as densely as music's.
        auto played = drums(20.0, 1);
        const auto dense = chatter(20.0, 2, 0.3f);
        std::transform(dense.begin(), dense.end(), played.begin(), played.begin(), std::plus<>());
        auto heard = heardIn(room, played);
        const auto own = chatter(10.0, 7, roomNoise);
        std::transform(own.begin(), own.end(), heard.begin() + 10 * rate, heard.begin() + 10 * rate,
                       std::plus<>());
        ClapDetector detector;
        detector.setSampleRate(rate);
        detector.reset();
        const PlaybackGate& gate = detector.playbackGate();
        // Buffers after the first five seconds in which the delay was not known.
        int forgotten = 0;
        for (std::size_t first = 0; first + frames <= heard.size(); first += frames) {
            detector.feedReference(std::span(played.data() + first, frames),
                                   origin + static_cast<double>(first) / rate);
            detector.process(std::span(heard.data() + first, frames),
                             origin + static_cast<double>(first + frames) / rate);
            forgotten += first > 5 * rate && !gate.delay();
        }
        QCOMPARE(forgotten, 0);
        QVERIFY(std::fabs(*gate.delay() - room.delay) <= 2.0 / PlaybackGate::slotRate);
        // Under the room's noise, as loud as that, no clap would be heard anyway.
        const double db = 20.0 * std::log10(gate.coupling());
        QVERIFY2(roomNoise > 0.0f || (db > room.couplingDb - 3.0 && db < room.couplingDb + 9.0),
                 qPrintable(QString::number(db)));
    }

    // Once nothing plays the analysis is the plain one again, buffer for buffer.
    void afterTheEndTheAnalysisIsPlain() {
        const auto played = drums(6.0, 2);
        const auto heard = heardIn(Room{0.06, 0.0f}, played);
        std::vector<double> plain, gated;
        ClapDetector plainDetector, gatedDetector;
        plainDetector.setOnClap([&] { plain.push_back(plainDetector.lastOnsetAt()); });
        gatedDetector.setOnClap([&] { gated.push_back(gatedDetector.lastOnsetAt()); });
        gatedDetector.setSampleRate(rate);
        gatedDetector.reset();
        gatedDetector.feedReference(std::span(played.data(), frames), origin);
        gatedDetector.endReference();
        for (std::size_t first = 0; first + frames <= heard.size(); first += frames) {
            const double now = origin + static_cast<double>(first + frames) / rate;
            plainDetector.process(std::span(heard.data() + first, frames), now);
            gatedDetector.process(std::span(heard.data() + first, frames), now);
        }
        QVERIFY(!plain.empty());
        QCOMPARE(gated, plain);
        QCOMPARE(gatedDetector.noiseFloor(), plainDetector.noiseFloor());
    }
};

QTEST_GUILESS_MAIN(PlaybackGateTest)
#include "PlaybackGateTest.moc"

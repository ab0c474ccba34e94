#include "core/FrameBlocker.h"

#include <QTest>
#include <vector>

using namespace lullwick;

// Interleaved frames whose channel 0 counts up from `first`; the other channels are decoys.
static std::vector<float> frames(std::size_t count, std::size_t channels, float first) {
    std::vector<float> samples(count * channels, -1.0f);
    for (std::size_t i = 0; i < count; ++i)
        samples[i * channels] = first + static_cast<float>(i);
    return samples;
}

class FrameBlockerTest : public QObject {
    Q_OBJECT

private slots:
    // The server's usual reads are one frame short of a block, with odd partial ones between.
    void reblocksReadsOfAnyLength_data() {
        QTest::addColumn<std::vector<std::size_t>>("reads");
        QTest::addColumn<std::size_t>("channels");
        QTest::newRow("1023-frame reads") << std::vector<std::size_t>(5, 1023) << std::size_t{1};
        QTest::newRow("odd partials, stereo")
            << std::vector<std::size_t>{1, 700, 1023, 348, 2047, 5} << std::size_t{2};
        QTest::newRow("exact blocks") << std::vector<std::size_t>{1024, 1024} << std::size_t{1};
        QTest::newRow("one read of several blocks")
            << std::vector<std::size_t>{3 * 1024 + 17} << std::size_t{6};
        QTest::newRow("empty reads in between")
            << std::vector<std::size_t>{0, 600, 0, 500, 0} << std::size_t{2};
    }
    void reblocksReadsOfAnyLength() {
        QFETCH(std::vector<std::size_t>, reads);
        QFETCH(std::size_t, channels);
        FrameBlocker blocker(1024);
        std::vector<std::vector<float>> blocks;
        float next = 0.0f;
        std::size_t total = 0;
        for (const std::size_t count : reads) {
            const auto read = frames(count, channels, next);
            blocker.push(read.data(), count, channels, [&](std::span<const float> block) {
                blocks.emplace_back(block.begin(), block.end());
            });
            next += static_cast<float>(count);
            total += count;
        }
        QCOMPARE(blocks.size(), total / 1024);
        QCOMPARE(blocker.pendingFrames(), total % 1024);
        // Channel 0 only, in order, nothing lost or repeated across read boundaries.
        float expected = 0.0f;
        for (const auto& block : blocks) {
            QCOMPARE(block.size(), std::size_t{1024});
            for (const float sample : block) {
                QCOMPARE(sample, expected);
                expected += 1.0f;
            }
        }
    }

    void clearDropsAPartialBlock() {
        FrameBlocker blocker(4);
        std::vector<std::vector<float>> blocks;
        auto keep = [&](std::span<const float> block) {
            blocks.emplace_back(block.begin(), block.end());
        };
        const auto first = frames(3, 1, 10.0f);
        blocker.push(first.data(), 3, 1, keep);
        blocker.clear();
        QCOMPARE(blocker.pendingFrames(), std::size_t{0});
        const auto second = frames(4, 1, 20.0f);
        blocker.push(second.data(), 4, 1, keep);
        QCOMPARE(blocks.size(), std::size_t{1});
        QCOMPARE(blocks[0], (std::vector<float>{20.0f, 21.0f, 22.0f, 23.0f}));
    }

    // A hole in the recording comes as no data: nothing is taken and nothing is emitted.
    void noDataChangesNothing() {
        FrameBlocker blocker(8);
        int emitted = 0;
        const auto some = frames(5, 1, 0.0f);
        blocker.push(some.data(), 5, 1, [&](std::span<const float>) { ++emitted; });
        blocker.push(nullptr, 100, 1, [&](std::span<const float>) { ++emitted; });
        blocker.push(some.data(), 100, 0, [&](std::span<const float>) { ++emitted; });
        QCOMPARE(emitted, 0);
        QCOMPARE(blocker.pendingFrames(), std::size_t{5});
    }

    // The memory a block is handed in is the blocker's own, reused for every block.
    void blocksReuseOneBuffer() {
        FrameBlocker blocker(16);
        std::vector<const float*> addresses;
        const auto read = frames(64, 1, 0.0f);
        blocker.push(read.data(), 64, 1,
                     [&](std::span<const float> block) { addresses.push_back(block.data()); });
        QCOMPARE(addresses.size(), std::size_t{4});
        for (const float* address : addresses)
            QCOMPARE(address, addresses.front());
    }
};

QTEST_GUILESS_MAIN(FrameBlockerTest)
#include "FrameBlockerTest.moc"

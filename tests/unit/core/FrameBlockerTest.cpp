#include "core/FrameBlocker.h"

#include <QTest>
#include <vector>

using namespace lullwick;

class FrameBlockerTest : public QObject {
    Q_OBJECT

private slots:
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
        FrameBlocker blocker(1024);
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

QTEST_GUILESS_MAIN(FrameBlockerTest)
#include "FrameBlockerTest.moc"

// Two threads read one stream's decoded sound at once while it is decoded on
// demand and evicted: both see the right bytes (and ThreadSanitizer sees the
// shared state guarded).

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "SoundTestSupport.h"

namespace fer::test {
namespace {

TEST(ConcurrentRead, TwoThreadsReadTheDecodedSoundAtOnce) {
    const Bytes samples = pcm16Pattern(22050 * 12, 2, 3); // 1 MB of sound and more
    const Bytes file = makeWave({{"fmt ", pcmFormatBody(2, 22050, 16)}, {"data", samples}});
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    std::atomic<int> mismatches{0};
    auto reader = [&](unsigned seed) {
        std::mt19937 gen(seed);
        std::vector<uint8_t> piece(70000);
        for (int i = 0; i < 150; ++i) {
            const uint64_t at = gen() % (samples.size() - piece.size());
            if (!stream.readDecoded(at, piece) ||
                !std::equal(piece.begin(), piece.end(), samples.begin() + static_cast<long>(at)))
                mismatches.fetch_add(1);
        }
    };
    std::thread a(reader, 1), b(reader, 2);
    a.join();
    b.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(stream.failures().value(), 0u);
    EXPECT_LE(stream.decodedRegion().peakCommittedBytes(), 0x100000u);
    EXPECT_LE(stream.waveSource().peakCommittedBytes(), 0x80000u);
}

} // namespace
} // namespace fer::test

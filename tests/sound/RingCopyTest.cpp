// Ring-to-ring copies: folding of positions, splits at either ring's end,
// and copies that read their source through a region.

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "sound/BoundedRegion.h"
#include "sound/RingCopy.h"

namespace fer::test {
namespace {

// The copy byte by byte, as the definition says.
void referenceCopy(std::vector<uint8_t>& dst, long dPos, const std::vector<uint8_t>& src, long sPos,
                   size_t length) {
    const long dn = static_cast<long>(dst.size()), sn = static_cast<long>(src.size());
    for (size_t i = 0; i < length; ++i) {
        const long d = ((dPos + static_cast<long>(i)) % dn + dn) % dn;
        const long s = ((sPos + static_cast<long>(i)) % sn + sn) % sn;
        dst[static_cast<size_t>(d)] = src[static_cast<size_t>(s)];
    }
}

TEST(RingCopy, BothRingsWrapAndTheNearerWrapComesFirst) {
    std::vector<uint8_t> src(10), dst(8, 0);
    std::iota(src.begin(), src.end(), 1);
    // Source wraps after 3 bytes, destination after 5: the copy splits at 3,
    // then at 5, then runs on.
    ringCopy({dst.data(), dst.data() + dst.size()}, dst.data() + 3,
             {src.data(), src.data() + src.size()}, src.data() + 7, 7);
    EXPECT_EQ(dst, std::vector<uint8_t>({3, 4, 0, 8, 9, 10, 1, 2}));
}

TEST(RingCopy, PositionsOutsideTheRingsAreFolded) {
    std::vector<uint8_t> src(6), dst(4, 0);
    std::iota(src.begin(), src.end(), 1);
    ringCopy({dst.data(), dst.data() + 4}, dst.data() + 4 + 1, {src.data(), src.data() + 6},
             src.data() + 6 * 2 + 4, 3);
    EXPECT_EQ(dst, std::vector<uint8_t>({0, 5, 6, 1}));
}

TEST(RingCopy, MatchesTheByteByByteDefinition) {
    std::mt19937 gen(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<uint8_t> src(1 + gen() % 50), dst(1 + gen() % 50);
        for (auto& b : src) b = static_cast<uint8_t>(gen());
        for (auto& b : dst) b = static_cast<uint8_t>(gen());
        // Lengths up to one ring: longer copies overwrite their own output.
        const size_t length = gen() % (std::min(src.size(), dst.size()) + 1);
        const long dPos = static_cast<long>(gen() % dst.size());
        const long sPos = static_cast<long>(gen() % (3 * src.size()));
        std::vector<uint8_t> expected = dst;
        referenceCopy(expected, dPos, src, sPos, length);
        ringCopy({dst.data(), dst.data() + dst.size()}, dst.data() + dPos,
                 {src.data(), src.data() + src.size()}, src.data() + sPos, length);
        ASSERT_EQ(dst, expected) << "round " << round;
    }
}

TEST(RingCopy, ReadsItsSourceThroughTheRegion) {
    constexpr uint64_t kUnit = 0x10000;
    class Pattern : public BoundedRegion {
      protected:
        void produceUnit(uint8_t* u) override {
            for (uint64_t i = 0; i < unitSize(); ++i)
                u[i] = static_cast<uint8_t>((u - base() + static_cast<long>(i)) / 251);
        }
    } region;
    ASSERT_NE(region.reserve(6 * kUnit, kUnit, 2 * kUnit, kUnit), nullptr);
    std::vector<uint8_t> dst(3 * kUnit + 17);
    // Source ring: the whole region; the copy starts near its end and wraps.
    const uint8_t* start = region.base();
    ASSERT_TRUE(ringCopy({dst.data(), dst.data() + dst.size()}, dst.data() + 100,
                         {start, start + region.size()}, start + 5 * kUnit + 3, 2 * kUnit, region));
    for (size_t i = 0; i < 2 * kUnit; ++i) {
        const size_t s = (5 * kUnit + 3 + i) % (6 * kUnit);
        ASSERT_EQ(dst[(100 + i) % dst.size()], static_cast<uint8_t>(s / 251)) << i;
    }
    EXPECT_LE(region.peakCommittedBytes(), 2 * kUnit);
}

} // namespace
} // namespace fer::test

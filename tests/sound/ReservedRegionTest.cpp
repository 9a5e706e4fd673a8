// Regions committed on first touch: rounding, the bounded ring with its
// eviction and second chance, the case without limit, and failed commits.

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "sound/BoundedRegion.h"
#include "sound/MemoryFill.h"

namespace fer::test {
namespace {

constexpr uint64_t kUnit = 0x10000;

// Writes each unit's index into all its bytes and counts how often every
// unit was produced; a commit can be made to fail.
class CountingRegion : public BoundedRegion {
  public:
    std::map<uint64_t, int> produced;
    bool failCommits = false;

    uint8_t* unit(uint64_t index) { return base() + index * unitSize(); }
    bool touchUnit(uint64_t index) { return touch(unit(index), unitSize()); }
    bool holdsOwnIndex(uint64_t index) {
        uint8_t first = 0, last = 0;
        if (!copyOut(unit(index), {&first, 1})) return false;
        if (!copyOut(unit(index) + unitSize() - 1, {&last, 1})) return false;
        return first == static_cast<uint8_t>(index + 1) && last == first;
    }

  protected:
    void produceUnit(uint8_t* u) override {
        const uint64_t index = static_cast<uint64_t>(u - base()) / unitSize();
        ++produced[index];
        std::memset(u, static_cast<int>(index + 1), unitSize());
    }
    bool commitUnit(uint8_t* u) override { return !failCommits && BoundedRegion::commitUnit(u); }
};

TEST(ReservedRegion, RoundsUnitToPagesAndSizeToUnits) {
    ReservedRegion region;
    const uint64_t page = region.pageSize();
    ASSERT_NE(region.reserve(3 * page + 1, page + 1), nullptr);
    EXPECT_EQ(region.unitSize(), 2 * page);
    EXPECT_EQ(region.size(), 4 * page);
    EXPECT_EQ(region.committedBytes(), 0u);
    EXPECT_EQ(region.reserve(0, page), nullptr);
}

TEST(ReservedRegion, PlainFillCommitsWholeUnitsAndDecommitGivesThemBack) {
    ReservedRegion region;
    uint8_t* base = region.reserve(4 * kUnit, kUnit);
    ASSERT_NE(base, nullptr);
    // A range from the middle of unit 1 into unit 2 commits both.
    EXPECT_EQ(region.fill(base + kUnit + 5, kUnit), base + kUnit);
    EXPECT_FALSE(region.isCommitted(base));
    EXPECT_TRUE(region.isAccessible(base + kUnit));
    EXPECT_TRUE(region.isAccessible(base + 2 * kUnit));
    EXPECT_EQ(region.committedBytes(), 2 * kUnit);
    base[kUnit] = 7;
    EXPECT_NE(region.protectNone(base + kUnit, 1), nullptr);
    EXPECT_FALSE(region.isAccessible(base + kUnit));
    EXPECT_TRUE(region.isCommitted(base + kUnit));
    EXPECT_NE(region.protectReadWrite(base + kUnit, 1), nullptr);
    EXPECT_EQ(base[kUnit], 7); // access back, contents kept
    EXPECT_NE(region.decommit(base + kUnit, 1), nullptr);
    EXPECT_EQ(region.committedBytes(), kUnit);
    EXPECT_NE(region.fill(base + kUnit, 1), nullptr);
    EXPECT_EQ(base[kUnit], 0);                            // given back: zeros again
    EXPECT_EQ(region.fill(base + 4 * kUnit, 1), nullptr); // outside
}

TEST(BoundedRegion, NineUnitsThroughCapacityEightEvictTheFirstWhichIsReadAgain) {
    CountingRegion region;
    ASSERT_NE(region.reserve(16 * kUnit, kUnit, 8 * kUnit, 2 * kUnit), nullptr);
    EXPECT_EQ(region.capacity(), 8u);
    EXPECT_EQ(region.lag(), 2u);
    for (uint64_t u = 0; u < 8; ++u) ASSERT_TRUE(region.touchUnit(u));
    EXPECT_TRUE(region.isCommitted(region.unit(0)));
    EXPECT_EQ(region.committedBytes(), 8 * kUnit);
    const uint64_t calls = region.releaseCalls();
    ASSERT_TRUE(region.touchUnit(8));
    // The oldest half of the full ring went, in one call to the system.
    EXPECT_FALSE(region.isCommitted(region.unit(0)));
    EXPECT_FALSE(region.isCommitted(region.unit(3)));
    EXPECT_TRUE(region.isCommitted(region.unit(4)));
    EXPECT_EQ(region.committedBytes(), 5 * kUnit);
    EXPECT_EQ(region.releaseCalls(), calls + 1);
    EXPECT_EQ(region.produced[0], 1);
    ASSERT_TRUE(region.touchUnit(0));
    EXPECT_EQ(region.produced[0], 2);
    EXPECT_TRUE(region.holdsOwnIndex(0));
    EXPECT_FALSE(region.isCommitted(region.unit(1)));
    EXPECT_EQ(region.releaseCalls(), calls + 1); // room was left: nothing more went
    EXPECT_LE(region.peakCommittedBytes(), 8 * kUnit);
}

TEST(BoundedRegion, UnitLagSlotsBehindLosesAccessAndComesBackWithoutBeingReadAgain) {
    CountingRegion region;
    ASSERT_NE(region.reserve(16 * kUnit, kUnit, 8 * kUnit, 2 * kUnit), nullptr);
    ASSERT_TRUE(region.touchUnit(0));
    ASSERT_TRUE(region.touchUnit(1));
    EXPECT_TRUE(region.isAccessible(region.unit(0))); // one slot behind
    ASSERT_TRUE(region.touchUnit(2));
    EXPECT_FALSE(region.isAccessible(region.unit(0))); // exactly two behind
    EXPECT_TRUE(region.isCommitted(region.unit(0)));
    EXPECT_TRUE(region.isAccessible(region.unit(1)));
    ASSERT_TRUE(region.touchUnit(0));
    EXPECT_EQ(region.produced[0], 1);
    EXPECT_TRUE(region.holdsOwnIndex(0));
    EXPECT_EQ(region.ringEntry(3), 0); // now the newest
    EXPECT_EQ(region.ringEntry(0), BoundedRegion::kEmpty);
    EXPECT_EQ(region.cursor(), 4u);
    // Touching an accessible unit is not a fault: nothing moves.
    ASSERT_TRUE(region.touchUnit(2));
    EXPECT_EQ(region.cursor(), 4u);
    // A prefetch fills whether accessible or not: the unit becomes the newest.
    ASSERT_NE(region.prefetch(region.unit(2), 1), nullptr);
    EXPECT_EQ(region.ringEntry(4), 2);
    EXPECT_EQ(region.produced[2], 1);
}

TEST(BoundedRegion, TouchingTheOldestUnitRefillsIt) {
    CountingRegion region;
    ASSERT_NE(region.reserve(8 * kUnit, kUnit, 4 * kUnit, 2 * kUnit), nullptr);
    for (uint64_t u = 0; u < 4; ++u) ASSERT_TRUE(region.touchUnit(u));
    ASSERT_EQ(region.cursor(), 0u);
    ASSERT_EQ(region.ringEntry(0), 0); // unit 0 is the one the next fill evicts
    ASSERT_TRUE(region.touchUnit(0));
    EXPECT_TRUE(region.holdsOwnIndex(0));
    EXPECT_EQ(region.produced[0], 2);
    EXPECT_LE(region.committedBytes(), 4 * kUnit);
}

TEST(BoundedRegion, LimitBelowLagMeansNoLimit) {
    CountingRegion region;
    ASSERT_NE(region.reserve(24 * kUnit, kUnit, 2 * kUnit, 4 * kUnit), nullptr);
    EXPECT_EQ(region.capacity(), 0u);
    for (uint64_t u = 0; u < 24; ++u) ASSERT_TRUE(region.touchUnit(u));
    EXPECT_EQ(region.committedBytes(), 24 * kUnit);
    for (uint64_t u = 0; u < 24; ++u) {
        EXPECT_TRUE(region.isAccessible(region.unit(u)));
        EXPECT_EQ(region.produced[u], 1);
    }
    // A limit of less than one unit is no limit either.
    CountingRegion small;
    ASSERT_NE(small.reserve(4 * kUnit, kUnit, kUnit / 2, 0), nullptr);
    EXPECT_EQ(small.capacity(), 0u);
}

TEST(BoundedRegion, DecommitEmptiesTheRingSlot) {
    CountingRegion region;
    ASSERT_NE(region.reserve(8 * kUnit, kUnit, 4 * kUnit, kUnit), nullptr);
    ASSERT_TRUE(region.touchUnit(5));
    ASSERT_EQ(region.ringEntry(0), 5);
    EXPECT_NE(region.decommit(region.unit(5), 1), nullptr);
    EXPECT_EQ(region.ringEntry(0), BoundedRegion::kEmpty);
    EXPECT_EQ(region.committedBytes(), 0u);
    ASSERT_TRUE(region.touchUnit(5));
    EXPECT_EQ(region.produced[5], 2);
}

TEST(BoundedRegion, FailedCommitIsReportedAndReadsNothing) {
    CountingRegion region;
    ASSERT_NE(region.reserve(4 * kUnit, kUnit, 2 * kUnit, kUnit), nullptr);
    region.failCommits = true;
    EXPECT_FALSE(region.touchUnit(1));
    EXPECT_EQ(region.fill(region.unit(1), 1), nullptr);
    uint8_t byte = 0x55;
    EXPECT_FALSE(region.copyOut(region.unit(1), {&byte, 1}));
    EXPECT_EQ(byte, 0x55);
    EXPECT_EQ(region.produced.count(1), 0u);
    region.failCommits = false;
    EXPECT_TRUE(region.holdsOwnIndex(1));
}

TEST(BoundedRegion, CopyOutReadsRangesWiderThanTheLag) {
    CountingRegion region;
    ASSERT_NE(region.reserve(12 * kUnit, kUnit, 4 * kUnit, 2 * kUnit), nullptr);
    std::vector<uint8_t> all(12 * kUnit);
    ASSERT_TRUE(region.copyOut(region.base(), all));
    for (uint64_t u = 0; u < 12; ++u) {
        EXPECT_EQ(all[u * kUnit], u + 1);
        EXPECT_EQ(all[u * kUnit + kUnit - 1], u + 1);
    }
    EXPECT_LE(region.peakCommittedBytes(), 4 * kUnit);
    std::vector<uint8_t> past(kUnit + 1);
    EXPECT_FALSE(region.copyOut(region.base() + 11 * kUnit, past));
}

TEST(MemoryFill, SilenceIsWholeFramesOf0x80For8BitAndZeroOtherwise) {
    std::vector<uint8_t> b(11, 0x11);
    fillSilence(b.data(), b.size(), 2, 8);
    EXPECT_EQ(b, std::vector<uint8_t>(
                     {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x11}));
    std::fill(b.begin(), b.end(), 0x11);
    fillSilence(b.data(), b.size(), 2, 16);
    EXPECT_EQ(b, std::vector<uint8_t>({0, 0, 0, 0, 0, 0, 0, 0, 0x11, 0x11, 0x11}));
    std::fill(b.begin(), b.end(), 0x11);
    fillSilence(b.data(), b.size(), 1, 24);
    EXPECT_EQ(b, std::vector<uint8_t>({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x11, 0x11}));
    std::fill(b.begin(), b.end(), 0x11);
    fillSilence(b.data(), b.size(), 0, 16); // no frame: nothing
    EXPECT_EQ(b, std::vector<uint8_t>(11, 0x11));
}

TEST(MemoryFill, WordFillsRepeatTheValueAtAnyAlignment) {
    std::vector<uint8_t> b(12, 0);
    fillWords16(b.data() + 1, 0xA1B2, 3);
    EXPECT_EQ(b, std::vector<uint8_t>({0, 0xB2, 0xA1, 0xB2, 0xA1, 0xB2, 0xA1, 0, 0, 0, 0, 0}));
    std::fill(b.begin(), b.end(), 0);
    fillWords32(b.data() + 3, 0x01020304, 2);
    EXPECT_EQ(b, std::vector<uint8_t>({0, 0, 0, 4, 3, 2, 1, 4, 3, 2, 1, 0}));
    fillBytes(b.data(), 9, 2);
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(b[1], 9);
    EXPECT_EQ(b[2], 0);
}

} // namespace
} // namespace fer::test

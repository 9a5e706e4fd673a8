#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "graphics/BlockTransfer.h"

namespace fer::test {
namespace {

class BlockTransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(planes.allocate());
        // Plane 1: a pattern with zeros in it; planes 2 and 3: flat colours.
        VramPlane& p = planes[1];
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x)
                p.set(x, y, static_cast<uint8_t>((x * 5 + y * 3) % 11));
        fillPlane(planes[2], 0x40);
        fillPlane(planes[3], 0x50);
    }
    void run(BlockRequest r) { blocks.blockTransfer(r); }

    PlaneSet planes;
    FakeGraphicsHost host;
    BlockTransfer blocks{planes, host};
};

BlockRequest copyRequest(uint32_t mode, uint16_t sx, uint16_t sy, uint16_t w, uint16_t h,
                         uint32_t src, uint16_t dx, uint16_t dy, uint32_t dst,
                         uint16_t colour = 0) {
    BlockRequest r;
    r.mode = mode;
    r.sx = sx;
    r.sy = sy;
    r.w = w;
    r.h = h;
    r.src = src;
    r.dx = dx;
    r.dy = dy;
    r.dst = dst;
    r.colour = colour;
    return r;
}

TEST_F(BlockTransferTest, CopyIsClippedToThePlaneWidthWithoutWrapping) {
    run(copyRequest(BlockTransfer::kCopy, 0, 0, 1000, 3, 1, 0, 10, 2));
    for (int x = 0; x < 640; ++x) ASSERT_EQ(planes[2].at(x, 11), planes[1].at(x, 1));
    EXPECT_EQ(planes[2].at(0, 13), 0x40);

    // From column 600, 100 wide: the 40 columns inside are copied; the next
    // row's start is untouched.
    fillPlane(planes[2], 0x40);
    run(copyRequest(BlockTransfer::kCopy, 0, 0, 100, 2, 1, 600, 0, 2));
    for (int x = 0; x < 40; ++x) ASSERT_EQ(planes[2].at(600 + x, 0), planes[1].at(x, 0));
    EXPECT_EQ(planes[2].at(0, 1 - 1 + 2), 0x40);
    EXPECT_EQ(planes[2].at(0, 0), 0x40);
    EXPECT_EQ(planes[2].at(599, 1), 0x40);

    // Reading past the source's bottom or a destination far outside does nothing wrong.
    run(copyRequest(BlockTransfer::kCopy, 0, 1790, 10, 50, 1, 0, 0, 2));
    for (int y = 0; y < 10; ++y) ASSERT_EQ(planes[2].at(0, y), planes[1].at(0, 1790 + y));
    EXPECT_EQ(planes[2].at(0, 10), 0x40);
    run(copyRequest(BlockTransfer::kCopy, 0, 0, 65535, 65535, 1, 65535, 65535, 0));
    run(copyRequest(BlockTransfer::kCopy, 0, 0, 10, 10, 9, 0, 0, 7)); // no such planes
}

TEST_F(BlockTransferTest, TransparentCopyWithKeyZeroKeepsTheDestinationWhereTheSourceIsZero) {
    run(copyRequest(BlockTransfer::kTransparentCopy, 5, 7, 64, 32, 1, 100, 200, 2, 0x0100));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint8_t s = planes[1].at(5 + x, 7 + y);
            ASSERT_EQ(planes[2].at(100 + x, 200 + y), s == 0 ? 0x40 : s);
        }
    EXPECT_EQ(planes[2].at(164, 200), 0x40);
}

TEST_F(BlockTransferTest, TransparentCopyWithinOnePlaneGoesTopRowFirstLeftToRight) {
    VramPlane& p = planes[2];
    p.set(0, 5, 1);
    p.set(1, 5, 2);
    // One row up and one column right of itself: the copy of row 5 reads
    // what it has not written yet.
    run(copyRequest(BlockTransfer::kTransparentCopy, 0, 5, 2, 1, 2, 1, 4, 2, 0x40));
    EXPECT_EQ(p.at(1, 4), 1);
    EXPECT_EQ(p.at(2, 4), 2);
}

TEST_F(BlockTransferTest, FillAndColourExchangeUseTheColourPair) {
    VramPlane& p = planes[3];
    run(copyRequest(BlockTransfer::kFill, 10, 10, 4, 2, 3, 0, 0, 0, 0x0F07));
    EXPECT_EQ(p.at(10, 10), 0x0F);
    EXPECT_EQ(p.at(13, 11), 0x0F);
    EXPECT_EQ(p.at(14, 11), 0x50);
    EXPECT_EQ(p.at(10, 12), 0x50);
    p.set(11, 10, 0x07);
    p.set(12, 11, 0x33);
    run(copyRequest(BlockTransfer::kColourExchange, 10, 10, 4, 2, 3, 0, 0, 0, 0x0F07));
    EXPECT_EQ(p.at(10, 10), 0x07);
    EXPECT_EQ(p.at(11, 10), 0x0F);
    EXPECT_EQ(p.at(12, 11), 0x33);
    EXPECT_EQ(p.at(14, 10), 0x50);
    // Fill reaching past the plane edges stays inside.
    run(copyRequest(BlockTransfer::kFill, 630, 395, 100, 100, 3, 0, 0, 0, 0x2200));
    EXPECT_EQ(p.at(639, 399), 0x22);
    EXPECT_EQ(p.at(629, 399), 0x50);
    EXPECT_EQ(p.at(0, 0), 0x50);
}

TEST_F(BlockTransferTest, ExchangeSwapsTheRectangles) {
    run(copyRequest(BlockTransfer::kExchange, 0, 0, 640, 400, 2, 0, 0, 3));
    EXPECT_EQ(planes[2].at(639, 399), 0x50);
    EXPECT_EQ(planes[3].at(0, 0), 0x40);
    // Within one plane, side by side.
    VramPlane& p = planes[1];
    const uint8_t a = p.at(0, 0), b = p.at(320, 0);
    run(copyRequest(BlockTransfer::kExchange, 0, 0, 320, 1, 1, 320, 0, 1));
    EXPECT_EQ(p.at(0, 0), b);
    EXPECT_EQ(p.at(320, 0), a);
}

TEST_F(BlockTransferTest, DissolveCopiesEveryPixelExactlyOnceAndPresentsEachStep) {
    constexpr int kW = 37, kH = 21, kSx = 3, kSy = 2, kDx = 50, kDy = 60;
    fillPlane(planes[3], 0);
    std::vector<int> copiedAt(kW * kH, -1);
    int step = 0;
    host.onPresent = [&] {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const uint8_t v = planes[3].at(kDx + x, kDy + y);
                if (v == 0) continue;
                int& at = copiedAt[y * kW + x];
                if (at < 0) at = step;
                // A second copy of a pixel would bring the marker over.
                ASSERT_NE(v, 0xFF) << x << "," << y;
                planes[1].set(kSx + x, kSy + y, 0xFF);
            }
        ++step;
    };
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) planes[1].set(kSx + x, kSy + y, 1 + (x + y) % 200);
    run(copyRequest(BlockTransfer::kDissolve, kSx, kSy, kW, kH, 1, kDx, kDy, 3));
    EXPECT_EQ(step, BlockTransfer::kDissolveSteps);
    for (int i = 0; i < kW * kH; ++i) ASSERT_GE(copiedAt[i], 0) << i;
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(64, 1));
    EXPECT_EQ(planes[3].at(kDx + kW, kDy), 0);
    EXPECT_EQ(planes[3].at(kDx, kDy + kH), 0);
    // Every step copies 1/64 of a full block.
    std::vector<int> perStep(64);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) ++perStep[copiedAt[y * kW + x]];
    for (int s = 0; s < 64; ++s) EXPECT_EQ(perStep[s], 8) << s;
}

TEST_F(BlockTransferTest, DissolveOfOnePixelCopiesItFirstAndStillPresents64Times) {
    int step = 0;
    int copiedAt = -1;
    host.onPresent = [&] {
        if (copiedAt < 0 && planes[2].at(7, 7) == planes[1].at(1, 1)) copiedAt = step;
        ++step;
    };
    planes[1].set(1, 1, 0x99);
    run(copyRequest(BlockTransfer::kDissolve, 1, 1, 1, 1, 1, 7, 7, 2));
    EXPECT_EQ(copiedAt, 0);
    EXPECT_EQ(host.presents.size(), 64u);
    EXPECT_EQ(host.presents[0], (FakeGraphicsHost::Present{0, 0, 640, 400}));
    // Reaching outside the planes: still 64 steps, nothing written outside.
    host.presents.clear();
    host.onPresent = nullptr;
    run(copyRequest(BlockTransfer::kDissolve, 630, 1795, 30, 30, 1, 635, 395, 2));
    EXPECT_EQ(host.presents.size(), 64u);
    EXPECT_EQ(planes[2].at(639, 399), planes[1].at(634, 1799));
}

TEST_F(BlockTransferTest, ComposeOntoTheBackgroundEqualsTransparentCopy) {
    PlaneSet expected;
    ASSERT_TRUE(expected.allocate());
    std::copy(planes[1].pixels(), planes[1].pixels() + planes[1].size(), expected[1].pixels());
    fillPlane(expected[2], 0x40);
    FakeGraphicsHost otherHost;
    BlockTransfer reference(expected, otherHost);
    reference.blockTransfer(
        copyRequest(BlockTransfer::kTransparentCopy, 9, 8, 100, 50, 1, 20, 30, 2, 0x0003));

    BlockRequest r = copyRequest(BlockTransfer::kCompose, 9, 8, 100, 50, 1, 20, 30, 2, 0x0003);
    r.x3 = 20;
    r.y3 = 30;
    r.plane3 = 2;
    run(r);
    ASSERT_EQ(0, std::memcmp(planes[2].pixels(), expected[2].pixels(), planes[2].size()));
}

TEST_F(BlockTransferTest, ComposeWritesBackgroundWithForegroundToAThirdPlane) {
    BlockRequest r = copyRequest(BlockTransfer::kCompose, 0, 0, 16, 4, 1, 0, 0, 3, 0);
    r.x3 = 630; // clipped to 10 columns
    r.y3 = 398; // clipped to 2 rows
    r.plane3 = 2;
    run(r);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x) {
            const uint8_t s = planes[1].at(x, y);
            ASSERT_EQ(planes[2].at(630 + x, 398 + y), s == 0 ? 0x50 : s);
        }
    EXPECT_EQ(planes[2].at(629, 398), 0x40);
    // All three the same plane.
    VramPlane& p = planes[3];
    p.set(0, 0, 7);
    p.set(1, 0, 0);
    r = copyRequest(BlockTransfer::kCompose, 0, 0, 2, 1, 3, 0, 0, 3, 0);
    r.x3 = 4;
    r.y3 = 0;
    r.plane3 = 3;
    run(r);
    EXPECT_EQ(p.at(4, 0), 7);
    EXPECT_EQ(p.at(5, 0), 0);
}

TEST_F(BlockTransferTest, UnknownModeDoesNothing) {
    run(copyRequest(7, 0, 0, 640, 400, 1, 0, 0, 2));
    EXPECT_EQ(planes[2].at(5, 5), 0x40);
    EXPECT_TRUE(host.presents.empty());
}

} // namespace
} // namespace fer::test

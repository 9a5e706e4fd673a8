// The picture's place in the window and the window-to-client mapping.

#include <gtest/gtest.h>

#include "platform/sdl/ScaledView.h"

namespace fer {
namespace {

constexpr int kBar = 22;

TEST(ScaledView, LargestWholeFactorThatFitsBelowTheMenuBar) {
    EXPECT_EQ(ScaledView::largestFactor(1920, 1080 - 48, kBar), 2);
    EXPECT_EQ(ScaledView::largestFactor(2560, 1440 - 48, kBar), 3);
    EXPECT_EQ(ScaledView::largestFactor(3840, 2160 - 48, kBar), 5);
    // Exactly enough room, and one pixel short of it.
    EXPECT_EQ(ScaledView::largestFactor(1280, 800 + kBar, kBar), 2);
    EXPECT_EQ(ScaledView::largestFactor(1280, 800 + kBar - 1, kBar), 1);
    EXPECT_EQ(ScaledView::largestFactor(1279, 2000, kBar), 1);
    // Never below 1, never above the limit, whatever the desktop claims.
    EXPECT_EQ(ScaledView::largestFactor(100, 100, kBar), 1);
    EXPECT_EQ(ScaledView::largestFactor(0, -5, kBar), 1);
    EXPECT_EQ(ScaledView::largestFactor(1 << 20, 1 << 20, kBar), ScaledView::kMaxFactor);
}

TEST(ScaledView, ExactFitFillsTheWindowBelowTheBar) {
    ScaledView v;
    v.resize(1280, kBar + 800, kBar);
    EXPECT_EQ(v.factor(), 2);
    const ViewRect p = v.picture();
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, kBar);
    EXPECT_EQ(p.w, 1280);
    EXPECT_EQ(p.h, 800);
}

TEST(ScaledView, ResizedWindowCentresThePictureWithBorders) {
    ScaledView v;
    v.resize(1500, 1000, kBar);
    EXPECT_EQ(v.factor(), 2);
    const ViewRect p = v.picture();
    EXPECT_EQ(p.x, (1500 - 1280) / 2);
    EXPECT_EQ(p.y, kBar + (1000 - kBar - 800) / 2);
    // A wide window: the height decides the factor.
    v.resize(3000, kBar + 850, kBar);
    EXPECT_EQ(v.factor(), 2);
    EXPECT_EQ(v.picture().x, (3000 - 1280) / 2);
    EXPECT_EQ(v.picture().y, kBar + 25);
}

TEST(ScaledView, WindowSmallerThanThePictureShowsItsTopLeft) {
    ScaledView v;
    v.resize(300, 200, kBar);
    EXPECT_EQ(v.factor(), 1);
    EXPECT_EQ(v.picture().x, 0);
    EXPECT_EQ(v.picture().y, kBar);
}

TEST(ScaledView, WindowPointsMapToClientPixels) {
    ScaledView v;
    v.resize(1500, 1000, kBar);
    const ViewRect p = v.picture();
    int x = -1, y = -1;
    v.toClient(p.x, p.y, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    // Both window pixels of a scaled pixel map to it.
    v.toClient(p.x + 2 * 100 + 1, p.y + 2 * 50 + 1, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    v.toClient(p.x + p.w - 1, p.y + p.h - 1, x, y);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 399);
}

TEST(ScaledView, PointsOnBordersAndMenuBarAreClamped) {
    ScaledView v;
    v.resize(1500, 1000, kBar);
    const ViewRect p = v.picture();
    int x = -1, y = -1;
    v.toClient(0, 0, x, y); // on the menu bar, left of the picture
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    v.toClient(p.x - 1, p.y - 1, x, y); // one pixel outside: not pixel 0 by truncation
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    v.toClient(1499, 999, x, y);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 399);
    v.toClient(-100000, 100000, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 399);
    EXPECT_FALSE(v.contains(p.x - 1, p.y));
    EXPECT_TRUE(v.contains(p.x, p.y));
    EXPECT_FALSE(v.contains(p.x + p.w, p.y));
}

TEST(ScaledView, ClientToWindowAndBackIsTheIdentity) {
    for (int scale = 1; scale <= 3; ++scale) {
        ScaledView v;
        v.resize(640 * scale + 37, kBar + 400 * scale + 11, kBar);
        ASSERT_EQ(v.factor(), scale);
        for (int cx : {0, 1, 319, 638, 639}) {
            for (int cy : {0, 1, 200, 399}) {
                int wx = 0, wy = 0, x = -1, y = -1;
                v.toWindow(cx, cy, wx, wy);
                EXPECT_TRUE(v.contains(wx, wy));
                v.toClient(wx, wy, x, y);
                EXPECT_EQ(x, cx) << "scale " << scale;
                EXPECT_EQ(y, cy) << "scale " << scale;
            }
        }
        int wx = 0, wy = 0;
        v.toWindow(5000, -5, wx, wy); // clamped to the picture first
        EXPECT_TRUE(v.contains(wx, wy));
    }
}

} // namespace
} // namespace fer

// The picture's place in the window and the window-to-client mapping.

#include <gtest/gtest.h>

#include "platform/ViewPlacement.h"
#include "platform/WindowPlacement.h"
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
    EXPECT_EQ(ScaledView::largestFactor(1280, 800, 0), 2); // full screen: no bar above the picture
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

TEST(ScaledView, StretchFillsTheWholeAreaBelowTheBar) {
    ScaledView v;
    v.setMode(ScaleMode::kStretch);
    v.resize(1500, 1000, kBar);
    const ViewRect p = v.picture();
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, kBar);
    EXPECT_EQ(p.w, 1500);
    EXPECT_EQ(p.h, 1000 - kBar);
    // Too small a window: the top-left part at factor 1, as for whole factors.
    v.resize(600, 300, kBar);
    EXPECT_EQ(v.picture().w, 640);
    EXPECT_EQ(v.picture().x, 0);
}

TEST(ScaledView, FitKeepsTheShapeAndLetterboxes) {
    ScaledView v;
    v.setMode(ScaleMode::kFit);
    v.resize(1920, 1080, kBar); // full screen on a 16:9 desktop: bars left and right
    const ViewRect p = v.picture();
    EXPECT_EQ(p.h, 1080 - kBar);
    EXPECT_EQ(p.w, (1080 - kBar) * 640 / 400);
    EXPECT_EQ(p.x, (1920 - p.w) / 2);
    EXPECT_EQ(p.y, kBar);
    v.resize(1000, 1000, kBar); // a tall window: bars above and below
    EXPECT_EQ(v.picture().w, 1000);
    EXPECT_EQ(v.picture().h, 625);
    EXPECT_EQ(v.picture().y, kBar + (1000 - kBar - 625) / 2);
}

// The window point that shows client pixel (cx, cy): a click there hits it.
void expectClickHits(const ScaledView& v, int cx, int cy, const char* what) {
    const ViewRect p = v.picture();
    // The pixel's area in the window: every point of it maps to the pixel.
    const int left = p.x + (cx * p.w + 639) / 640;
    const int right = p.x + ((cx + 1) * p.w - 1) / 640;
    const int top = p.y + (cy * p.h + 399) / 400;
    const int bottom = p.y + ((cy + 1) * p.h - 1) / 400;
    for (int wx : {left, right})
        for (int wy : {top, bottom}) {
            int x = -1, y = -1;
            v.toClient(wx, wy, x, y);
            EXPECT_EQ(x, cx) << what << " at " << wx << "," << wy;
            EXPECT_EQ(y, cy) << what << " at " << wx << "," << wy;
        }
    int wx = 0, wy = 0, x = -1, y = -1;
    v.toWindow(cx, cy, wx, wy);
    v.toClient(wx, wy, x, y);
    EXPECT_EQ(x, cx) << what;
    EXPECT_EQ(y, cy) << what;
}

TEST(ScaledView, ClicksHitTheirPixelAtEveryScaleAndMode) {
    const std::pair<int, int> pixels[] = {{0, 0},     {1, 1},     {123, 45},
                                          {320, 200}, {638, 398}, {639, 399}};
    for (int scale = 1; scale <= 4; ++scale) {
        ScaledView v;
        v.resize(640 * scale, kBar + 400 * scale, kBar);
        ASSERT_EQ(v.factor(), scale);
        for (auto [cx, cy] : pixels) expectClickHits(v, cx, cy, "whole factor");
    }
    // Full screen on common desktops, letterboxed or pillarboxed.
    for (auto [w, h] :
         {std::pair{1920, 1080}, {2560, 1440}, {1366, 768}, {1280, 1024}, {3840, 2160}}) {
        for (ScaleMode mode : {ScaleMode::kWholeFactor, ScaleMode::kFit, ScaleMode::kStretch}) {
            ScaledView v;
            v.setMode(mode);
            v.resize(w, h, kBar);
            for (auto [cx, cy] : pixels) expectClickHits(v, cx, cy, "full screen");
            // The black borders are outside the picture.
            const ViewRect p = v.picture();
            if (p.x > 0) {
                EXPECT_FALSE(v.contains(p.x - 1, p.y + 10));
            }
            if (p.y + p.h < h) {
                EXPECT_FALSE(v.contains(p.x + 10, p.y + p.h));
            }
        }
    }
}

TEST(ScaledView, LetterboxedWholeFactorFullScreenMapsAKnownPixel) {
    ScaledView v;
    v.resize(1920, 1080, kBar); // factor 2: 1280x800 centred
    ASSERT_EQ(v.factor(), 2);
    const ViewRect p = v.picture();
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.y, kBar + (1080 - kBar - 800) / 2);
    int x = -1, y = -1;
    v.toClient(320 + 2 * 100 + 1, p.y + 2 * 50 + 1, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    v.toClient(319, p.y, x, y); // the border left of pixel 0
    EXPECT_EQ(x, 0);
}

TEST(ScaledView, HighDensityWindowsAreLaidOutInPixelsAndClickedInPoints) {
    ScaledView v;
    // A 640x(400+bar) point window of twice as many pixels: factor 2 in pixels.
    v.resize(1280, 2 * kBar + 800, 2 * kBar, 2.0f, 2.0f);
    EXPECT_EQ(v.factor(), 2);
    EXPECT_EQ(v.picture().y, 2 * kBar);
    int x = -1, y = -1;
    // Point (100, bar + 50) is pixel (200, 2 bar + 100): client (100, 50).
    v.toClient(100, kBar + 50, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    int wx = 0, wy = 0;
    v.toWindow(639, 399, wx, wy);
    EXPECT_EQ(wx, 639);
    EXPECT_EQ(wy, kBar + 399);
    EXPECT_TRUE(v.contains(wx, wy));
    // At 1.5 pixels per point the mapping stays inside the picture and monotonic.
    v.resize(960, 600 + 33, 33, 1.5f, 1.5f);
    int last = -1;
    for (int px = 0; px < 640; ++px) {
        v.toClient(px, 22 + 100, x, y);
        EXPECT_GE(x, last);
        last = x;
    }
    EXPECT_EQ(last, 639);
}

TEST(ScaledView, MenusGrowWithTheDisplaysDensityAndOnLargeWindows) {
    EXPECT_EQ(ScaledView::menuZoom(640, 420, 96), 1);
    EXPECT_EQ(ScaledView::menuZoom(1280, 820, 0), 1);   // density unknown
    EXPECT_EQ(ScaledView::menuZoom(1280, 820, 192), 2); // a dense display
    EXPECT_EQ(ScaledView::menuZoom(2560, 1600, 96), 2); // factor 4 fits
    EXPECT_EQ(ScaledView::menuZoom(3840, 2160, 96), 2); // factor 5
    EXPECT_EQ(ScaledView::menuZoom(7680, 4320, 96), 4); // never above 4
    EXPECT_EQ(ScaledView::menuZoom(100, 100, 20), 1);   // never below 1
}

} // namespace
} // namespace fer

namespace fer {
namespace {

// A factor that does not fit the desktop is lowered; the window opens on it.
TEST(WindowPlacement, ATooLargeScaleIsLoweredAndTheWindowStaysOnTheDesktop) {
    // --scale 3 on 1600 x 1000 with a 20-pixel menu bar: 1920 x 1220 would not fit.
    WindowPlacement p = placeWindow(3, 0, 0, 1600, 1000, 20, 48);
    EXPECT_EQ(p.factor, 2);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 820);
    EXPECT_EQ(p.x, 160);
    EXPECT_GE(p.y, 24); // room for the title bar
    EXPECT_LE(p.y + p.height, 1000);
    // A scale that fits is kept; 0 asks for the largest that fits.
    EXPECT_EQ(placeWindow(1, 0, 0, 1600, 1000, 20, 48).factor, 1);
    EXPECT_EQ(placeWindow(0, 0, 0, 3840, 2160, 20, 48).factor, 5);
    // A desktop smaller than the picture: factor 1, top left on the usable area.
    p = placeWindow(4, 100, 30, 600, 300, 20, 48);
    EXPECT_EQ(p.factor, 1);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 30 + 24);
}

// Debug views that are up together each open in their own place, never above the work area.
TEST(ViewPlacement, ViewsCascadeFromTheCornerBelowTheMenuBar) {
    // A modal 300-wide view in a 640-wide area: 170 free each side.
    EXPECT_EQ(centreViewAxis(300, 0, 640), 170);
    // Taller than the 400 rows below a 19-row bar: at the bar's edge, not above it.
    EXPECT_EQ(centreViewAxis(440, 19, 400), 19);
    // Live views a 24-pixel step apart; 341 places for a 300-wide view, so the
    // 15th step (360) comes round to 19.
    EXPECT_EQ(cascadeViewAxis(0, 24, 300, 0, 640), 0);
    EXPECT_EQ(cascadeViewAxis(2, 24, 300, 0, 640), 48);
    EXPECT_EQ(cascadeViewAxis(15, 24, 300, 0, 640), 19);
    // A view taller than the area comes round within its first half (200 rows).
    EXPECT_EQ(cascadeViewAxis(9, 24, 440, 19, 400), 19 + 216 - 200);
}

} // namespace
} // namespace fer

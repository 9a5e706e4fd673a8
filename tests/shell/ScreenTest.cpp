#include <gtest/gtest.h>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/Screen.h"

namespace fer {
namespace {

// Records what reaches the platform.
class RecordingPlatform : public HeadlessPlatform {
  public:
    RecordingPlatform() : HeadlessPlatform({}, std::nullopt) {}
    void present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x, int y,
                 int w, int h) override {
        rects.push_back({x, y, w, h});
        firstPixel = plane.pixels[static_cast<size_t>(plane.height - 1) * plane.stride];
        firstColour = palette[firstPixel];
    }
    std::vector<std::vector<int>> rects;
    uint8_t firstPixel = 0;
    PaletteEntry firstColour{};
};

TEST(Screen, PresentsOfAPassAreShownOnceAsTheirUnion) {
    RecordingPlatform platform;
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    Screen screen(platform, planes);
    screen.flush();
    EXPECT_TRUE(platform.rects.empty()); // nothing marked, nothing shown
    screen.present(0, 0, 640, 400);
    screen.present(0, 0, 640, 400);
    screen.flush();
    EXPECT_EQ(platform.rects, (std::vector<std::vector<int>>{{0, 0, 640, 400}}));
    screen.present(10, 20, 5, 5);
    screen.present(100, 8, 10, 2);
    screen.flush();
    screen.flush();
    EXPECT_EQ(platform.rects.back(), (std::vector<int>{10, 8, 100, 17}));
    EXPECT_EQ(screen.uploads(), 2u);
}

TEST(Screen, RectanglesAreUnsigned16BitAndKeptToThePicture) {
    RecordingPlatform platform;
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    Screen screen(platform, planes);
    screen.present(600, 390, 100, 100);
    screen.flush();
    EXPECT_EQ(platform.rects.back(), (std::vector<int>{600, 390, 40, 10}));
    screen.present(-1, 0, 10, 10); // x 65535: outside
    screen.present(0, 0, 0, 10);   // empty
    screen.flush();
    EXPECT_EQ(platform.rects.size(), 1u);
}

TEST(Screen, ADebugViewShowsAnotherPlaneThroughThePalette) {
    RecordingPlatform platform;
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    Screen screen(platform, planes);
    Palette colours{};
    colours[7] = {1, 2, 3, 0};
    screen.setPalette(colours);
    // Top-left pixel of plane 3: the plane's top row is stored last.
    VramPlane& p = planes[3];
    p.pixels()[static_cast<size_t>(p.height() - 1) * p.width()] = 7;
    screen.showPlane(3);
    screen.flush();
    EXPECT_EQ(platform.firstPixel, 7);
    EXPECT_EQ(platform.firstColour, (PaletteEntry{1, 2, 3, 0}));
    screen.showPlane(0);
    screen.flush();
    EXPECT_EQ(platform.firstPixel, 0);
    EXPECT_EQ(platform.rects.size(), 2u);
}

} // namespace
} // namespace fer

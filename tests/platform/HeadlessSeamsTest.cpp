// The headless backend's seams: cursor images and display modes are
// recorded, debug views print their cells, and scripted input follows the
// same rule as in the window.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/headless/HeadlessPlatform.h"

namespace fer {
namespace {

class GridView : public DebugView {
  public:
    std::string title() const override { return "FLAG"; }
    int width() const override { return 640; }
    int height() const override { return 400; }
    std::vector<DebugCell> cells() override {
        ++drawn;
        // Given out of order on purpose: the print orders rows, then columns.
        return {{120, 40, "002", 0xFFFFFF}, {48, 40, "  1", 0x00FFFF}, {48, 24, "000", 0xFFFFFF}};
    }
    int drawn = 0;
};

std::string printed(DebugView& view) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::tmpfile(), &std::fclose);
    HeadlessPlatform::printDebugView(view, f.get());
    std::rewind(f.get());
    std::string text;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, f.get())) text.append(buffer, n);
    return text;
}

TEST(HeadlessSeams, DebugViewsPrintTheirCellsRowByRow) {
    GridView view;
    EXPECT_EQ(printed(view), "== FLAG\n000\n  1 002\n");
    HeadlessPlatform p({}, std::nullopt);
    testing::internal::CaptureStdout();
    p.showDebugView(view);
    EXPECT_TRUE(p.debugViewShown(view));
    p.runDebugView(view); // nobody answers headless: printed and closed
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "== FLAG\n000\n  1 002\n== FLAG\n000\n  1 002\n");
    p.hideDebugView(view);
    EXPECT_FALSE(p.debugViewShown(view));
    EXPECT_EQ(view.drawn, 3);
}

TEST(HeadlessSeams, CursorImagesAndDisplayModesAreRecorded) {
    HeadlessPlatform p({}, std::nullopt);
    CursorImage image;
    image.width = 2;
    image.height = 2;
    image.pixels = {0, 1, 1, 0};
    image.hotX = 1;
    image.hotY = 1;
    p.setCursorImage(&image);
    ASSERT_TRUE(p.cursorImage());
    EXPECT_EQ(p.cursorImage()->pixels, image.pixels);
    image.hotX = 2; // outside the image: the system arrow
    p.setCursorImage(&image);
    EXPECT_FALSE(p.cursorImage());
    p.setCursorImage(nullptr);
    EXPECT_EQ(p.cursorImagesSet(), 3u);

    EXPECT_EQ(p.displayMode(), DisplayMode::kWindowed);
    EXPECT_TRUE(p.setDisplayMode(DisplayMode::kFullScreen));
    EXPECT_EQ(p.displayMode(), DisplayMode::kFullScreen);
    p.setScaleMode(ScaleMode::kFit);
    EXPECT_EQ(p.scaleMode(), ScaleMode::kFit);
}

TEST(HeadlessSeams, AnEventDueAfterTheQuitTimeComesAfterTheClose) {
    TimedEvent late;
    late.at = 5;
    late.event.type = PlatformEvent::Type::kKeyDown;
    late.event.code = 13;
    HeadlessPlatform p({late}, 0);
    p.startClock();
    std::vector<PlatformEvent::Type> seen;
    PlatformEvent e;
    for (int i = 0; i < 2000 && seen.size() < 2; ++i) {
        if (p.nextEvent(e)) seen.push_back(e.type);
        p.sleepMilliseconds(1);
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], PlatformEvent::Type::kClose);
    EXPECT_EQ(seen[1], PlatformEvent::Type::kKeyDown);
}

} // namespace
} // namespace fer

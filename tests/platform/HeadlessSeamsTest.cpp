// The headless backend's seams: cursor images and display modes are
// recorded, debug views print their cells, modal views and the text box
// take scripted input, and scripted input follows the same rule as in the
// window.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ScriptedInput.h"
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
        return {{120, 40, "002", 0xFFFFFF}, {0, 0, "    A", 0x00FFFF}, {48, 24, "000", 0xFFFFFF}};
    }
    std::string headerLine() const override { return "[VIEW 7 page " + std::to_string(page) + "]"; }
    bool key(int vk) override {
        keys.push_back(vk);
        if (vk == 34) ++page;
        return vk != 27;
    }
    int drawn = 0;
    int page = 0;
    std::vector<int> keys;
};

class LineView : public GridView {
  public:
    std::optional<std::string> printLine() override { return "[FILES] MES=A.MES"; }
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

constexpr const char* kGridPrint =
    "[VIEW 7 page 0]\n120 40 002\n0 0     A\n48 24 000\n[END VIEW]\n";

std::vector<TimedEvent> scripted(const std::string& text) {
    ScriptedInput in;
    std::string error;
    EXPECT_TRUE(in.parse(text, error)) << error;
    return in.events();
}

TEST(HeadlessSeams, DebugViewsPrintTheirCellsInDrawingOrder) {
    GridView view;
    EXPECT_EQ(printed(view), kGridPrint);
    LineView line;
    EXPECT_EQ(printed(line), "[FILES] MES=A.MES\n");
    HeadlessPlatform p({}, std::nullopt);
    testing::internal::CaptureStdout();
    p.refreshDebugView(view); // not shown: nothing
    p.showDebugView(view);
    EXPECT_TRUE(p.debugViewShown(view));
    p.refreshDebugView(view);
    p.runDebugView(view); // no input will come: printed and closed
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string(kGridPrint) + kGridPrint + kGridPrint);
    p.hideDebugView(view);
    EXPECT_FALSE(p.debugViewShown(view));
    EXPECT_EQ(view.drawn, 4);
}

TEST(HeadlessSeams, ModalViewsTakeScriptedKeysAndPrintAgainAfterPaging) {
    HeadlessPlatform p(scripted("0 press pgdn\n10 menu 40017\n20 press pgup\n30 press esc\n"
                                "40 press enter\n"),
                       std::nullopt);
    p.startClock();
    GridView view;
    testing::internal::CaptureStdout();
    p.runDebugView(view);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(view.keys, (std::vector<int>{34, 33, 27})); // releases are not keys
    EXPECT_EQ(out, std::string(kGridPrint) +
                       "[VIEW 7 page 1]\n120 40 002\n0 0     A\n48 24 000\n[END VIEW]\n"
                       "[VIEW 7 page 1]\n120 40 002\n0 0     A\n48 24 000\n[END VIEW]\n");
    // What the view did not take reaches the engine afterwards, in order.
    PlatformEvent e;
    ASSERT_TRUE(p.nextEvent(e));
    EXPECT_EQ(e.type, PlatformEvent::Type::kMenu);
    EXPECT_EQ(e.code, 40017);
    while (!p.nextEvent(e)) p.sleepMilliseconds(1);
    EXPECT_EQ(e.type, PlatformEvent::Type::kKeyDown);
    EXPECT_EQ(e.code, 13);
}

TEST(HeadlessSeams, TheQuitTimerClosesAModalViewAndStillReachesTheEngine) {
    HeadlessPlatform p({}, 30);
    p.startClock();
    GridView view;
    testing::internal::CaptureStdout();
    p.runDebugView(view);
    testing::internal::GetCapturedStdout();
    PlatformEvent e;
    ASSERT_TRUE(p.nextEvent(e));
    EXPECT_EQ(e.type, PlatformEvent::Type::kClose);
}

TEST(HeadlessSeams, TheTextBoxTakesTypedTextUntilEnterOrEsc) {
    HeadlessPlatform p(scripted("0 type 12\n5 type 34\n10 press enter\n"
                                "100 type x\n110 press esc\n"),
                       std::nullopt);
    p.startClock();
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.askText("地址输入", "请输入地址"), std::optional<std::string>("1234"));
    EXPECT_EQ(p.askText("地址输入", "请输入地址"), std::nullopt);
    // Nothing more will come: cancelled at once.
    EXPECT_EQ(p.askText("地址输入", "请输入地址"), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "地址输入: 请输入地址\n地址输入: 请输入地址\n"
                                                      "地址输入: 请输入地址\n");
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

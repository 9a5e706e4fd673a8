// The SDL2 window backend under SDL's dummy video driver: window size and
// scale, presentation through the palette, input translation, window events,
// drops, the cursor and the modal boxes (answered by synthetic or scripted
// input, so no box is ever left waiting for a player).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "../SkipUnlessCi.h"
#include "platform/MenuModel.h"
#include "platform/ScriptFiles.h"
#include "platform/sdl/KeyMapping.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/sdl/SyntheticEvents.h"

namespace fer {
namespace {

using T = PlatformEvent::Type;
namespace sc = scancode;

class SdlPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }

    std::unique_ptr<SdlPlatform> open(int scale = 2, SdlOptions options = {}) {
        options.scale = scale;
        std::string error;
        auto p = SdlPlatform::create(std::move(options), error);
        EXPECT_TRUE(p) << error;
        if (p) {
            EXPECT_TRUE(p->openWindow("测试", engineMenu(true)));
            drain(*p); // whatever showing the window produced
        }
        return p;
    }

    // Every event already queued, then every one that arrives within a short
    // while (a busy machine may start the wait late, so the queue is always
    // emptied first).
    static std::vector<PlatformEvent> drain(SdlPlatform& p, int ms = 30) {
        std::vector<PlatformEvent> out;
        PlatformEvent e;
        while (p.nextEvent(e)) out.push_back(e);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            if (p.nextEvent(e))
                out.push_back(e);
            else
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return out;
    }

    // The events of the given types only.
    static std::vector<PlatformEvent> only(const std::vector<PlatformEvent>& events,
                                           std::initializer_list<T> types) {
        std::vector<PlatformEvent> out;
        for (const auto& e : events)
            for (T t : types)
                if (e.type == t) out.push_back(e);
        return out;
    }

    // A 640x400 plane filled with `fill`, with its top row `top` and bottom row `bottom`.
    struct Plane {
        std::vector<uint8_t> pixels = std::vector<uint8_t>(640 * 400, 0);
        PlaneView view() const { return {pixels.data(), 640, 400, 640}; }
        // (x, y) with y from the top, stored bottom-up.
        uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(399 - y) * 640 + x]; }
    };

    static std::array<PaletteEntry, 256> palette() {
        std::array<PaletteEntry, 256> p{};
        p[1] = {255, 0, 0, 0};
        p[2] = {0, 255, 0, 0};
        p[3] = {0, 0, 255, 0};
        p[200] = {0x12, 0x34, 0x56, 0x99}; // the fourth byte is not a colour
        return p;
    }
};

TEST_F(SdlPlatformTest, WindowIsThePictureTimesTheScaleBelowTheMenuBar) {
    for (int scale : {1, 2}) {
        auto p = open(scale);
        ASSERT_TRUE(p);
        int w = 0, h = 0;
        p->windowSize(w, h);
        EXPECT_GT(p->menuBarHeight(), 10);
        EXPECT_EQ(w, 640 * scale);
        EXPECT_EQ(h, p->menuBarHeight() + 400 * scale);
        int x = -1, y = -1;
        p->pictureOrigin(x, y);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, p->menuBarHeight());
        EXPECT_EQ(p->scaleFactor(), scale);
    }
}

TEST_F(SdlPlatformTest, DefaultScaleIsTheLargestThatFitsTheDesktop) {
    auto p = open(0);
    ASSERT_TRUE(p);
    // The dummy driver's desktop is 1024x768: only factor 1 fits.
    EXPECT_EQ(p->scaleFactor(), 1);
}

TEST_F(SdlPlatformTest, PresentShowsThePlaneThroughThePaletteTopRowFirst) {
    auto p = open(2);
    ASSERT_TRUE(p);
    Plane plane;
    for (int x = 0; x < 640; ++x) {
        plane.at(x, 0) = 1;   // top row red
        plane.at(x, 399) = 2; // bottom row green
    }
    plane.at(320, 200) = 200;
    const auto pal = palette();
    p->present(plane.view(), pal, 0, 0, 640, 400);
    const int bar = p->menuBarHeight();
    EXPECT_EQ(p->shownPixel(0, bar), 0xFF0000u);
    EXPECT_EQ(p->shownPixel(1279, bar + 1), 0xFF0000u); // both window rows of the scaled row
    EXPECT_EQ(p->shownPixel(5, bar + 2), 0x000000u);
    EXPECT_EQ(p->shownPixel(5, bar + 799), 0x00FF00u);
    EXPECT_EQ(p->shownPixel(641, bar + 401), 0x123456u);
    EXPECT_EQ(p->shownPixel(639, bar + 399), 0x000000u);
}

TEST_F(SdlPlatformTest, PresentOfARectangleLeavesTheRestAsItWas) {
    auto p = open(1);
    ASSERT_TRUE(p);
    Plane plane;
    const auto pal = palette();
    p->present(plane.view(), pal, 0, 0, 640, 400);
    std::fill(plane.pixels.begin(), plane.pixels.end(), 3);
    p->present(plane.view(), pal, 100, 50, 10, 20);
    const int bar = p->menuBarHeight();
    EXPECT_EQ(p->shownPixel(100, bar + 50), 0x0000FFu);
    EXPECT_EQ(p->shownPixel(109, bar + 69), 0x0000FFu);
    EXPECT_EQ(p->shownPixel(110, bar + 50), 0u);
    EXPECT_EQ(p->shownPixel(100, bar + 70), 0u);
    EXPECT_EQ(p->shownPixel(99, bar + 49), 0u);
}

TEST_F(SdlPlatformTest, EveryPixelOfARectangleGoesThroughThePaletteWhateverItsWidth) {
    auto p = open(1);
    ASSERT_TRUE(p);
    // Every index in use, each its own colour, and rectangles of widths that
    // end inside and at the edge of a step of sixteen and of eight pixels.
    std::array<PaletteEntry, 256> pal{};
    for (int i = 0; i < 256; ++i)
        pal[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                       static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i)};
    Plane plane;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) plane.at(x, y) = static_cast<uint8_t>(x * 7 + y * 13);
    auto expected = [&](int x, int y) {
        const PaletteEntry& e = pal[plane.at(x, y)];
        return uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue;
    };
    const int bar = p->menuBarHeight();
    struct Rect {
        int x, y, w, h;
    };
    for (const Rect r : {Rect{0, 0, 640, 400}, Rect{3, 5, 37, 2}, Rect{601, 398, 39, 2},
                         Rect{17, 100, 16, 1}, Rect{40, 200, 7, 1}}) {
        std::fill(plane.pixels.begin(), plane.pixels.end(), uint8_t{0});
        p->present(plane.view(), pal, 0, 0, 640, 400);
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 640; ++x) plane.at(x, y) = static_cast<uint8_t>(x * 7 + y * 13);
        p->present(plane.view(), pal, r.x, r.y, r.w, r.h);
        for (int y = r.y; y < r.y + r.h; y += std::max(1, r.h / 3))
            for (int x = r.x; x < r.x + r.w; ++x) {
                // Wide rectangles: their first and last 48 pixels.
                if (r.w > 96 && x - r.x >= 48 && r.x + r.w - x > 48) continue;
                ASSERT_EQ(p->shownPixel(x, bar + y), expected(x, y)) << x << ',' << y;
            }
        if (r.x + r.w < 640) {
            EXPECT_EQ(p->shownPixel(r.x + r.w, bar + r.y), uint32_t{pal[0].red} << 16 | 0xFF00u)
                << "the pixel after the rectangle keeps its colour";
        }
    }
}

TEST_F(SdlPlatformTest, PresentsWithinAFrameIntervalShareOneFrameShownBeforeASleep) {
    auto p = open(1);
    ASSERT_TRUE(p);
    Plane plane;
    const auto pal = palette();
    p->present(plane.view(), pal, 0, 0, 640, 400);
    p->sleepMilliseconds(0); // shown by now, one way or the other
    const uint64_t shown = p->frames();
    std::fill(plane.pixels.begin(), plane.pixels.end(), 3);
    for (int i = 0; i < 4; ++i) p->present(plane.view(), pal, 16 * i, 0, 16, 16);
    EXPECT_EQ(p->frames(), shown) << "converted into the texture, not drawn yet";
    p->sleepMilliseconds(0);
    EXPECT_EQ(p->frames(), shown + 1) << "one frame for them all, before the sleep";
    p->sleepMilliseconds(0);
    EXPECT_EQ(p->frames(), shown + 1) << "nothing new to show";
    p->present(plane.view(), pal, 100, 50, 10, 20);
    p->sleepMilliseconds(20);
    PlatformEvent e;
    while (p->nextEvent(e)) {
    }
    EXPECT_GE(p->frames(), shown + 2) << "the pump shows what waits once the interval is over";
    EXPECT_EQ(p->shownPixel(100, p->menuBarHeight() + 50), 0x0000FFu);
}

TEST_F(SdlPlatformTest, BadRectanglesAndPlanesAreClippedNotTrusted) {
    auto p = open(1);
    ASSERT_TRUE(p);
    const auto pal = palette();
    Plane plane;
    std::fill(plane.pixels.begin(), plane.pixels.end(), 1);
    p->present(plane.view(), pal, -50, -50, 100000, 100000);
    p->present(plane.view(), pal, 639, 399, 65535, 65535);
    p->present(plane.view(), pal, 700, 500, 10, 10);
    p->present(plane.view(), pal, 10, 10, -5, 0);
    // A plane smaller than the picture: only its pixels are read.
    std::vector<uint8_t> small(16 * 8, 2);
    p->present({small.data(), 16, 8, 16}, pal, 0, 0, 640, 400);
    p->present({nullptr, 640, 400, 640}, pal, 0, 0, 640, 400);
    p->present({small.data(), 16, 8, 4}, pal, 0, 0, 640, 400); // stride below width
    const int bar = p->menuBarHeight();
    EXPECT_EQ(p->shownPixel(15, bar + 7), 0x00FF00u);
    EXPECT_EQ(p->shownPixel(16, bar + 7), 0xFF0000u);
}

TEST_F(SdlPlatformTest, KeysArriveAsVirtualKeyCodesWithNumLockOnOrOff) {
    auto p = open(1);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    synthetic::pushKey(id, sc::kKeypad8, true, false); // NumLock off
    synthetic::pushKey(id, sc::kKeypad8, false, false);
    synthetic::pushKey(id, sc::kKeypad2, true, true); // NumLock on
    synthetic::pushKey(id, sc::kKeypadEnter, true);
    synthetic::pushKey(id, sc::kRightCtrl, true);
    synthetic::pushKey(id, 4, true); // 'A': not a game key
    synthetic::pushKey(id, sc::kUp, true);
    const auto keys = only(drain(*p), {T::kKeyDown, T::kKeyUp});
    ASSERT_EQ(keys.size(), 6u);
    EXPECT_EQ(keys[0].type, T::kKeyDown);
    EXPECT_EQ(keys[0].code, 104);
    EXPECT_EQ(keys[1].type, T::kKeyUp);
    EXPECT_EQ(keys[1].code, 104);
    EXPECT_EQ(keys[2].code, 98);
    EXPECT_EQ(keys[3].code, 13);
    EXPECT_EQ(keys[4].code, 17);
    EXPECT_EQ(keys[5].code, 38);
}

TEST_F(SdlPlatformTest, F12AsksForAScreenshotOncePerPress) {
    auto p = open(1);
    ASSERT_TRUE(p);
    synthetic::pushKey(p->windowId(), sc::kF12, true);
    synthetic::pushKey(p->windowId(), sc::kF12, false);
    const auto events = drain(*p);
    EXPECT_EQ(only(events, {T::kScreenshot}).size(), 1u);
    EXPECT_TRUE(only(events, {T::kKeyDown, T::kKeyUp}).empty());
}

TEST_F(SdlPlatformTest, MouseIsSeenInClientCoordinatesAtAnyScale) {
    auto p = open(2);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    int ox = 0, oy = 0;
    p->pictureOrigin(ox, oy);
    synthetic::pushMouseMotion(id, ox + 2 * 100 + 1, oy + 2 * 50);
    synthetic::pushMouseButton(id, 1, true, ox + 2 * 300, oy + 2 * 399 + 1);
    synthetic::pushMouseButton(id, 1, false, ox + 2 * 300, oy + 2 * 399 + 1);
    synthetic::pushMouseButton(id, 3, true, ox + 10, oy + 10);
    synthetic::pushMouseButton(id, 3, false, ox + 10, oy + 10);
    const auto events = drain(*p);
    const auto moves = only(events, {T::kMouseMove});
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves[0].x, 100);
    EXPECT_EQ(moves[0].y, 50);
    const auto buttons = only(events, {T::kKeyDown, T::kKeyUp});
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_EQ(buttons[0].code, 0x201);
    EXPECT_EQ(buttons[1].code, 0x202);
    EXPECT_EQ(buttons[2].code, 0x204);
    EXPECT_EQ(buttons[3].code, 0x205);
    int x = -1, y = -1;
    p->cursorPosition(x, y);
    EXPECT_EQ(x, 5); // where the right button was pressed
    EXPECT_EQ(y, 5);
}

TEST_F(SdlPlatformTest, ClicksOnTheMenuBarAreNotGameClicksButReleasesAre) {
    auto p = open(1);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    synthetic::pushMouseButton(id, 1, true, 600, 3); // right end of the bar, no menu there
    synthetic::pushMouseButton(id, 1, false, 600, 3);
    const auto buttons = only(drain(*p), {T::kKeyDown, T::kKeyUp});
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].type, T::kKeyUp);
    EXPECT_EQ(buttons[0].code, 0x202);
}

TEST_F(SdlPlatformTest, ConfinementClampsMovesAndPositions) {
    auto p = open(2);
    ASSERT_TRUE(p);
    int x = -1, y = -1;
    p->moveCursor(700, -3);
    p->cursorPosition(x, y);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 0);
    p->confineCursor(300, 200, 100, 150); // corners in either order
    p->cursorPosition(x, y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 150);
    drain(*p);
    int ox = 0, oy = 0;
    p->pictureOrigin(ox, oy);
    synthetic::pushMouseMotion(p->windowId(), ox, oy);
    const auto moves = only(drain(*p), {T::kMouseMove});
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().x, 100);
    EXPECT_EQ(moves.back().y, 150);
    p->releaseCursor();
    p->moveCursor(0, 0);
    p->cursorPosition(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(SdlPlatformTest, WindowEventsBecomeEngineEvents) {
    auto p = open(1);
    ASSERT_TRUE(p);
    using W = synthetic::WindowChange;
    const uint32_t id = p->windowId();
    for (W w :
         {W::kFocusLost, W::kFocusGained, W::kMinimised, W::kRestored, W::kExposed, W::kClose})
        synthetic::pushWindowEvent(id, w);
    std::vector<T> types;
    for (const auto& e : drain(*p)) types.push_back(e.type);
    const std::vector<T> expected{T::kDeactivate, T::kActivate, T::kMinimise,
                                  T::kRestore,    T::kExpose,   T::kClose};
    EXPECT_EQ(types, expected);
}

TEST_F(SdlPlatformTest, OnlyADropOfExactlyOneFileCounts) {
    auto p = open(1);
    ASSERT_TRUE(p);
    synthetic::pushDrop(p->windowId(), {"/tmp/a.mes", "/tmp/b.mes"});
    synthetic::pushDrop(p->windowId(), {"/tmp/游戏 1.MES"});
    const auto drops = only(drain(*p), {T::kDropFile});
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].text, "/tmp/游戏 1.MES");
}

TEST_F(SdlPlatformTest, ResizedWindowCentresThePictureAndMapsTheMouse) {
    auto p = open(1);
    ASSERT_TRUE(p);
    p->setWindowSize(1500, 1000);
    const auto events = drain(*p);
    EXPECT_FALSE(only(events, {T::kExpose}).empty());
    EXPECT_EQ(p->scaleFactor(), 2);
    int ox = 0, oy = 0;
    p->pictureOrigin(ox, oy);
    EXPECT_EQ(ox, (1500 - 1280) / 2);
    EXPECT_EQ(oy, p->menuBarHeight() + (1000 - p->menuBarHeight() - 800) / 2);
    Plane plane;
    std::fill(plane.pixels.begin(), plane.pixels.end(), 1);
    const auto pal = palette();
    p->present(plane.view(), pal, 0, 0, 640, 400);
    EXPECT_EQ(p->shownPixel(ox, oy), 0xFF0000u);
    EXPECT_EQ(p->shownPixel(ox + 1279, oy + 799), 0xFF0000u);
    EXPECT_EQ(p->shownPixel(ox - 1, oy + 100), 0u); // black border
    EXPECT_EQ(p->shownPixel(ox + 1280, oy + 100), 0u);
    synthetic::pushMouseMotion(p->windowId(), ox + 2 * 10, oy + 2 * 20 + 1);
    const auto moves = only(drain(*p), {T::kMouseMove});
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().x, 10);
    EXPECT_EQ(moves.back().y, 20);
}

TEST_F(SdlPlatformTest, MenuChecksAreKeptPerItem) {
    auto p = open(1);
    ASSERT_TRUE(p);
    p->setMenuCheck(40017, true);
    p->setMenuCheck(40019, true);
    p->setMenuCheck(40019, false);
    p->setMenuCheck(99999, true); // no such item
    EXPECT_TRUE(p->menuChecked(40017));
    EXPECT_FALSE(p->menuChecked(40018));
    EXPECT_FALSE(p->menuChecked(40019));
    EXPECT_FALSE(p->menuChecked(99999));
    drain(*p); // the bar is drawn with the checks
}

TEST_F(SdlPlatformTest, TheModalHookRunsWhileABoxWaitsAndItsPresentsShowBehindIt) {
    auto p = open(1);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    Plane plane;
    const auto pal = palette();
    p->present(plane.view(), pal, 0, 0, 640, 400);
    int calls = 0;
    p->setModalHook([&] {
        // What the engine's ticks draw while the box is up.
        std::fill(plane.pixels.begin(), plane.pixels.end(), ++calls == 1 ? 1 : 2);
        p->present(plane.view(), pal, 0, 0, 640, 400);
        if (calls == 3) synthetic::pushKey(id, sc::kReturn, true);
    });
    p->messageBox("错误", "文件没有找到");
    EXPECT_EQ(calls, 3);
    p->setModalHook({});
    int ox = 0, oy = 0;
    p->pictureOrigin(ox, oy);
    EXPECT_EQ(p->shownPixel(ox + 5, oy + 399), 0x00FF00u);
    // Without a hook a box only waits.
    synthetic::pushKey(id, sc::kReturn, true);
    p->messageBox("错误", "文件没有找到");
    EXPECT_EQ(calls, 3);
}

TEST_F(SdlPlatformTest, BoxesAreAnsweredByKeys) {
    auto p = open(1);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    synthetic::pushKey(id, sc::kReturn, true);
    EXPECT_TRUE(p->confirmBox("游戏的结束", "结束游戏吗？"));
    synthetic::pushKey(id, sc::kEscape, true);
    EXPECT_FALSE(p->confirmBox("游戏的结束", "结束游戏吗？"));
    synthetic::pushKey(id, sc::kEscape, true); // Esc closes a box without Cancel too
    p->messageBox("错误", "文件没有找到");
    synthetic::pushKey(id, sc::kKeypadEnter, true);
    p->helpBox({"帮助", "按键", {{"F12", "截图"}}, "关于", "引擎\n0.1", "确定"});
    // Closing the window while a box is up cancels the box; the close is not lost later.
    synthetic::pushWindowEvent(id, synthetic::WindowChange::kFocusLost);
    synthetic::pushWindowEvent(id, synthetic::WindowChange::kClose);
    EXPECT_FALSE(p->confirmBox("游戏的结束", "结束游戏吗？"));
    const auto after = drain(*p);
    EXPECT_EQ(only(after, {T::kDeactivate}).size(), 1u); // kept for after the box
}

TEST_F(SdlPlatformTest, ScriptChooserListsScriptFilesOnly) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("fer-chooser-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir / "sub.mes");
    for (const char* name : {"b.mes", "A.MES", "note.txt", "mes", "c.Mes"})
        std::ofstream(dir / name) << "x";
    auto p = open(1);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    synthetic::pushKey(id, sc::kReturn, true);
    EXPECT_EQ(p->chooseScriptFile(scriptFilesIn(dir.string())), "A.MES");
    synthetic::pushKey(id, sc::kDown, true);
    synthetic::pushKey(id, sc::kKeypad2, true, false);
    synthetic::pushKey(id, sc::kDown, true); // already at the end
    synthetic::pushKey(id, sc::kReturn, true);
    EXPECT_EQ(p->chooseScriptFile(scriptFilesIn(dir.string())), "c.Mes");
    synthetic::pushKey(id, sc::kDown, true);
    synthetic::pushKey(id, sc::kEscape, true);
    EXPECT_EQ(p->chooseScriptFile(scriptFilesIn(dir.string())), "");
    synthetic::pushKey(id, sc::kReturn, true); // an empty list cannot be confirmed
    EXPECT_EQ(p->chooseScriptFile(scriptFilesIn((dir / "missing").string())), "");
    std::filesystem::remove_all(dir);
}

TEST_F(SdlPlatformTest, ScriptedInputPlaysAlongsideAndAnswersBoxes) {
    SdlOptions options;
    TimedEvent esc;
    esc.at = 0;
    esc.event.type = T::kKeyDown;
    esc.event.code = 27;
    TimedEvent move;
    move.at = 0;
    move.event.type = T::kMouseMove;
    move.event.x = 900; // clamped to the picture
    move.event.y = 20;
    options.events = {esc, move};
    options.quitAfterMs = 200;
    auto p = open(1, options);
    ASSERT_TRUE(p);
    PlatformEvent e;
    EXPECT_FALSE(p->nextEvent(e) && e.type == T::kClose); // nothing before the start
    p->startClock();
    // The scripted Esc answers the box.
    EXPECT_FALSE(p->confirmBox("游戏的结束", "结束游戏吗？"));
    std::this_thread::sleep_for(std::chrono::milliseconds(250)); // past the quit time
    const auto events = drain(*p);
    const auto moves = only(events, {T::kMouseMove});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].x, 639);
    ASSERT_EQ(only(events, {T::kClose}).size(), 1u);
    // After the quit timer nobody answers: boxes take their default at once.
    EXPECT_TRUE(p->confirmBox("游戏的结束", "结束游戏吗？"));
    p->messageBox("title", "text");
}

TEST_F(SdlPlatformTest, ClosedWindowStillAcceptsCallsSafely) {
    auto p = open(1);
    ASSERT_TRUE(p);
    p->closeWindow();
    Plane plane;
    p->present(plane.view(), palette(), 0, 0, 640, 400);
    p->messageBox("title", "text"); // no window: printed, not shown
    PlatformEvent e;
    for (int i = 0; i < 10; ++i) p->nextEvent(e);
    p->closeWindow();
}

std::string SDL_VIDEODRIVER_NAME() {
    const char* name = std::getenv("SDL_VIDEODRIVER");
    return name ? name : "";
}

class CellsView : public DebugView {
  public:
    std::string title() const override { return "16BIT REG"; }
    int width() const override { return 640; }
    int height() const override { return 400; }
    std::vector<DebugCell> cells() override {
        ++drawn;
        return {{48, 24, "    A", 0x00FFFF}, {120, 24, "00001", 0xFFFFFF}};
    }
    bool key(int vk) override {
        keys.push_back(vk);
        return vk != 27;
    }
    int drawn = 0;
    std::vector<int> keys;
};

TEST_F(SdlPlatformTest, DebugViewsAreDrawnInEveryFrameAndModalOnesAnswerKeys) {
    SdlOptions options;
    TimedEvent pageDown, esc;
    pageDown.event.type = T::kKeyDown;
    pageDown.event.code = 34;
    esc.at = 20;
    esc.event.type = T::kKeyDown;
    esc.event.code = 27;
    options.events = {pageDown, esc};
    auto p = open(1, options);
    ASSERT_TRUE(p);
    CellsView shown;
    p->showDebugView(shown);
    EXPECT_TRUE(p->debugViewShown(shown));
    drain(*p);
    const int before = shown.drawn;
    Plane plane;
    p->present(plane.view(), palette(), 0, 0, 640, 400);
    EXPECT_GT(shown.drawn, before);
    p->hideDebugView(shown);
    EXPECT_FALSE(p->debugViewShown(shown));

    CellsView modal;
    p->startClock();
    p->runDebugView(modal); // the scripted Page Down, then Esc, closes it
    EXPECT_EQ(modal.keys, (std::vector<int>{34, 27}));
    EXPECT_GT(modal.drawn, 0);
}

TEST_F(SdlPlatformTest, TheTextBoxTakesScriptedTextAndAnswersEnterAndEsc) {
    SdlOptions options;
    auto at = [](uint64_t ms, T type, int code, std::string text = {}) {
        TimedEvent e;
        e.at = ms;
        e.event.type = type;
        e.event.code = code;
        e.event.text = std::move(text);
        return e;
    };
    options.events = {at(0, T::kText, 0, "40"), at(5, T::kText, 0, "96"), at(10, T::kKeyDown, 13),
                      at(20, T::kText, 0, "x"), at(30, T::kKeyDown, 27)};
    auto p = open(1, options);
    ASSERT_TRUE(p);
    p->startClock();
    EXPECT_EQ(p->askText("地址输入", "请输入地址"), std::optional<std::string>("4096"));
    EXPECT_EQ(p->askText("地址输入", "请输入地址"), std::nullopt);
}

TEST_F(SdlPlatformTest, CursorImagesAndDisplayModes) {
    auto p = open(1);
    ASSERT_TRUE(p);
    CursorImage image;
    image.width = 16;
    image.height = 16;
    image.pixels.assign(256, 3);
    image.palette[3] = {255, 255, 0, 0};
    image.transparent = 0;
    image.hotX = 8;
    image.hotY = 8;
    // The dummy video driver has no cursors: the arrow stays, nothing breaks.
    p->setCursorImage(&image);
    const bool colourCursors = std::string(SDL_VIDEODRIVER_NAME()) != "dummy";
    EXPECT_EQ(p->hasCursorImage(), colourCursors);
    image.hotX = 16; // outside the image: refused, the arrow again
    p->setCursorImage(&image);
    EXPECT_FALSE(p->hasCursorImage());
    p->setCursorImage(nullptr);
    EXPECT_FALSE(p->hasCursorImage());

    EXPECT_EQ(p->displayMode(), DisplayMode::kWindowed);
    p->setScaleMode(ScaleMode::kFit);
    EXPECT_EQ(p->scaleMode(), ScaleMode::kFit);
    p->setScaleMode(ScaleMode::kWholeFactor);
    if (p->setDisplayMode(DisplayMode::kFullScreen)) {
        EXPECT_EQ(p->displayMode(), DisplayMode::kFullScreen);
        EXPECT_TRUE(p->setDisplayMode(DisplayMode::kWindowed));
    }
    EXPECT_EQ(p->displayMode(), DisplayMode::kWindowed);
    int w = 0, h = 0;
    p->windowSize(w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 400 + p->menuBarHeight());
}

} // namespace
} // namespace fer

namespace fer {
namespace {

using T = PlatformEvent::Type;
namespace sc = scancode;

// The window fixture, opened in a given scale mode; events drained a little longer.
class SdlDisplayTest : public SdlPlatformTest {
  protected:
    std::unique_ptr<SdlPlatform> open(int scale, ScaleMode mode = ScaleMode::kWholeFactor) {
        SdlOptions options;
        options.scaleMode = mode;
        return SdlPlatformTest::open(scale, std::move(options));
    }
    static std::vector<PlatformEvent> drain(SdlPlatform& p, int ms = 40) {
        return SdlPlatformTest::drain(p, ms);
    }
};

TEST_F(SdlDisplayTest, AltEnterAndF11AskForFullScreenAndAreNoGameKeys) {
    auto p = open(1);
    ASSERT_TRUE(p);
    const uint32_t id = p->windowId();
    synthetic::pushKey(id, sc::kReturn, true, true, true);
    synthetic::pushKey(id, sc::kKeypadEnter, true, true, true);
    synthetic::pushKey(id, 68, true); // F11
    synthetic::pushKey(id, 68, false);
    synthetic::pushKey(id, sc::kReturn, true); // Enter alone decides
    const auto events = drain(*p);
    EXPECT_EQ(only(events, {T::kToggleFullScreen}).size(), 3u);
    const auto keys = only(events, {T::kKeyDown});
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].code, 13);
}

TEST_F(SdlDisplayTest, TheWindowsStatesReachTheEngineButEchoesOfItsOwnRequestsDoNot) {
    auto p = open(1);
    ASSERT_TRUE(p);
    using W = synthetic::WindowChange;
    const uint32_t id = p->windowId();
    synthetic::pushWindowEvent(id, W::kMaximised);
    auto events = only(drain(*p), {T::kMaximise, T::kRestore, T::kMinimise});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, T::kMaximise);
    // The switch goes full screen and asks for the window restored, then maximised.
    ASSERT_TRUE(p->setDisplayMode(DisplayMode::kFullScreen));
    EXPECT_TRUE(p->showWindow(WindowShow::kRestore).empty());
    EXPECT_TRUE(p->showWindow(WindowShow::kMaximise).empty());
    synthetic::pushWindowEvent(id, W::kRestored); // what the window system says meanwhile
    synthetic::pushWindowEvent(id, W::kMaximised);
    EXPECT_TRUE(only(drain(*p), {T::kMaximise, T::kRestore, T::kMinimise}).empty());
    // The player minimises: that is news.
    synthetic::pushWindowEvent(id, W::kMinimised);
    events = only(drain(*p), {T::kMaximise, T::kRestore, T::kMinimise});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, T::kMinimise);
    EXPECT_TRUE(p->setDisplayMode(DisplayMode::kWindowed));
}

TEST_F(SdlDisplayTest, FullScreenShowsThePictureCentredAndClicksHitTheirPixel) {
    for (ScaleMode mode : {ScaleMode::kWholeFactor, ScaleMode::kFit, ScaleMode::kStretch}) {
        auto p = open(1, mode);
        ASSERT_TRUE(p);
        if (!p->setDisplayMode(DisplayMode::kFullScreen))
            FER_SKIP_UNLESS_CI("no full screen on this video driver");
        drain(*p);
        int w = 0, h = 0;
        p->windowSize(w, h);
        const int bar = p->menuBarHeight();
        int ox = 0, oy = 0;
        p->pictureOrigin(ox, oy);
        // The dummy driver's desktop is 1024x768, all of it for the picture.
        EXPECT_EQ(w, 1024);
        EXPECT_EQ(h, 768);
        EXPECT_EQ(ox, mode == ScaleMode::kWholeFactor ? (1024 - 640) / 2 : 0);
        // The menu bar is hidden; the pointer at the top edge, Alt alone or F10 call it up.
        const uint32_t id = p->windowId();
        EXPECT_FALSE(p->menuBarShown());
        synthetic::pushMouseMotion(id, 500, 0);
        drain(*p);
        EXPECT_TRUE(p->menuBarShown());
        synthetic::pushMouseMotion(id, 500, bar + 5);
        drain(*p);
        EXPECT_FALSE(p->menuBarShown());
        for (int key : {226, 67}) { // Alt, F10: up, then away again
            synthetic::pushKey(id, key, true);
            synthetic::pushKey(id, key, false);
            drain(*p);
            EXPECT_EQ(p->menuBarShown(), key == 226);
        }
        synthetic::pushKey(id, 226, true); // Alt+Enter is no call for the bar
        synthetic::pushKey(id, sc::kReturn, true, true, true);
        synthetic::pushKey(id, 226, false);
        drain(*p);
        EXPECT_FALSE(p->menuBarShown());
        std::vector<uint8_t> pixels(640 * 400, 0);
        // Client (500, 300) and its eight neighbours: a smoothed scale keeps
        // the middle one white.
        for (int y = 299; y <= 301; ++y)
            for (int x = 499; x <= 501; ++x) pixels[static_cast<size_t>(399 - y) * 640 + x] = 1;
        std::array<PaletteEntry, 256> pal{};
        pal[1] = {255, 255, 255, 0};
        p->present({pixels.data(), 640, 400, 640}, pal, 0, 0, 640, 400);
        // The picture's size in each mode, on the whole 1024x768 desktop.
        const int pw = mode == ScaleMode::kWholeFactor ? 640 : 1024;
        const int ph = mode == ScaleMode::kWholeFactor ? 400 : mode == ScaleMode::kFit ? 640 : 768;
        EXPECT_EQ(oy, (768 - ph) / 2);
        // The centre of client pixel (500, 300) on the screen is white, its
        // neighbours' are black; a click there hits it.
        const int sx = ox + (2 * 500 + 1) * pw / 1280;
        const int sy = oy + (2 * 300 + 1) * ph / 800;
        EXPECT_EQ(p->shownPixel(sx, sy), 0xFFFFFFu);
        EXPECT_EQ(p->shownPixel(ox + (2 * 504 + 1) * pw / 1280, sy), 0u);
        EXPECT_EQ(p->shownPixel(sx, oy + (2 * 296 + 1) * ph / 800), 0u);
        synthetic::pushMouseButton(p->windowId(), 1, true, sx, sy);
        drain(*p);
        int cx = -1, cy = -1;
        p->cursorPosition(cx, cy);
        EXPECT_EQ(cx, 500) << static_cast<int>(mode);
        EXPECT_EQ(cy, 300) << static_cast<int>(mode);
        // Back in the window at its windowed size.
        ASSERT_TRUE(p->setDisplayMode(DisplayMode::kWindowed));
        p->windowSize(w, h);
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 400 + p->menuBarHeight());
    }
}

TEST_F(SdlDisplayTest, AGamepadIsArrowsDecideCancelAndSkipAndMayComeAndGo) {
    // The dummy driver's window never has the focus, without which SDL keeps
    // controller input from the game.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    auto p = open(1);
    ASSERT_TRUE(p);
    {
        synthetic::VirtualGamepad pad;
        ASSERT_TRUE(pad.attached());
        drain(*p);
        ASSERT_EQ(p->gamepads(), 1u);
        pad.setButton(0, true); // A
        drain(*p, 20);
        pad.setButton(0, false);
        drain(*p, 20);
        pad.setButton(1, true);  // B
        pad.setButton(9, true);  // left shoulder
        pad.setButton(11, true); // D-pad up
        auto events = drain(*p);
        pad.setAxis(0, 30000); // left stick right
        auto more = drain(*p);
        events.insert(events.end(), more.begin(), more.end());
        pad.setAxis(0, 12000);  // still leaning: held
        pad.setAxis(0, -30000); // across to the left
        more = drain(*p);
        events.insert(events.end(), more.begin(), more.end());
        std::vector<std::pair<T, int>> keys;
        for (const auto& e : only(events, {T::kKeyDown, T::kKeyUp}))
            keys.emplace_back(e.type, e.code);
        const std::vector<std::pair<T, int>> expected{{T::kKeyDown, 27}, {T::kKeyDown, 17},
                                                      {T::kKeyDown, 38}, {T::kKeyDown, 39},
                                                      {T::kKeyUp, 39},   {T::kKeyDown, 37}};
        EXPECT_EQ(keys, expected);
        // Unplugged while holding keys: they are released.
        pad.detach();
        std::vector<int> released;
        for (const auto& e : only(drain(*p), {T::kKeyUp})) released.push_back(e.code);
        std::sort(released.begin(), released.end());
        EXPECT_EQ(released, (std::vector<int>{17, 27, 37, 38}));
        EXPECT_EQ(p->gamepads(), 0u);
    }
    // Plugged in again: it works again.
    synthetic::VirtualGamepad again;
    drain(*p);
    EXPECT_EQ(p->gamepads(), 1u);
    again.setButton(0, true);
    const auto events = only(drain(*p), {T::kKeyDown});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 13);
}

TEST_F(SdlDisplayTest, AHiddenConfinedCursorStaysSoAcrossASwitch) {
    auto p = open(1);
    ASSERT_TRUE(p);
    p->showCursor(false);
    p->confineCursor(100, 100, 199, 149);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(p->mouseConfinement(x, y, w, h));
    int ox = 0, oy = 0;
    p->pictureOrigin(ox, oy);
    EXPECT_EQ(x, ox + 100);
    EXPECT_EQ(y, oy + 100);
    if (!p->setDisplayMode(DisplayMode::kFullScreen)) FER_SKIP_UNLESS_CI("no full screen here");
    drain(*p);
    // The picture moved to the middle of the screen: the confinement moved with it.
    p->pictureOrigin(ox, oy);
    ASSERT_GT(ox, 0);
    ASSERT_TRUE(p->mouseConfinement(x, y, w, h));
    EXPECT_EQ(x, ox + 100);
    EXPECT_EQ(y, oy + 100);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    // A pointer over the picture still has no cursor; one outside it is kept in.
    synthetic::pushMouseMotion(p->windowId(), ox + 300, oy + 300);
    drain(*p);
    EXPECT_FALSE(p->cursorShownNow());
    int cx = -1, cy = -1;
    p->cursorPosition(cx, cy);
    EXPECT_EQ(cx, 199);
    EXPECT_EQ(cy, 149);
    p->moveCursor(150, 120); // the pointer where the window system knows it
    ASSERT_TRUE(p->setDisplayMode(DisplayMode::kWindowed));
    drain(*p);
    p->pictureOrigin(ox, oy);
    ASSERT_TRUE(p->mouseConfinement(x, y, w, h));
    EXPECT_EQ(x, ox + 100);
    EXPECT_FALSE(p->cursorShownNow());
}

} // namespace
} // namespace fer

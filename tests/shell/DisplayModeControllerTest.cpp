// The display-mode switch on the headless platform, which records the mode,
// the window's size states and every display call, and reports a change of
// the window's state at once, as a desktop window system does, so the
// switch's nested notifications happen as they would on a real desktop.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/DisplayModeController.h"
#include "shell/FatalErrorReporter.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

fs::path freshSettingsPath() {
    const fs::path dir =
        fs::temp_directory_path() / ("fer-display-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    return dir / "KITE5HAN.INI";
}

// What a switch sees at a display call.
struct Seen {
    std::string call;
    bool switching;
    bool sizing;
    bool timerPaused;
};

struct DisplayRig {
    explicit DisplayRig(fs::path settingsPath = freshSettingsPath())
        : path(std::move(settingsPath)), platform({}, std::nullopt), settingsFile(path),
          settings(settingsFile), screen(platform, planes),
          window(platform, timer, settings, screen),
          errors(platform, window, timer, settings, screen),
          display(platform, settings, timer, window, errors) {
        settings.load(false);
        window.create("test", false);
        window.onSize([this](WindowSize kind) { display.switchDisplayMode(kind); });
        window.onToggleFullScreen([this] { display.toggleFullScreen(); });
        settings.addListener([this](PlayerSettings::Change change) {
            if (change == PlayerSettings::Change::kScreen)
                screenWrites.push_back(settings.screenSetting());
        });
        platform.onDisplayCall([this](const std::string& call) {
            seen.push_back({call, display.switching(), display.sizing(), timer.paused()});
        });
        platform.startClock();
    }
    ~DisplayRig() {
        std::error_code ec;
        fs::remove_all(path.parent_path(), ec);
    }
    // The player changes the window's state, or presses the full-screen key.
    void player(PlatformEvent::Type type) {
        PlatformEvent e;
        e.type = type;
        // The headless platform takes the player's change as the window system would.
        if (type == PlatformEvent::Type::kMaximise) platform.showWindow(WindowShow::kMaximise);
        if (type == PlatformEvent::Type::kMinimise) platform.showWindow(WindowShow::kMinimise);
        if (type == PlatformEvent::Type::kRestore) platform.showWindow(WindowShow::kRestore);
        seen.clear();
        screenWrites.clear();
        window.handle(e);
    }
    Calls calls() const {
        Calls out;
        for (const Seen& s : seen) out.push_back(s.call);
        return out;
    }
    // The "SCREEN" key as the file holds it (-1: not there).
    int32_t screenInFile() const { return settingsFile.getInt("Config", "SCREEN", -1); }

    fs::path path;
    HeadlessPlatform platform;
    SettingsFile settingsFile;
    PlayerSettings settings;
    TimerThread timer;
    PlaneSet planes;
    Screen screen;
    MainWindow window;
    FatalErrorReporter errors;
    DisplayModeController display;
    std::vector<Seen> seen;
    std::vector<int32_t> screenWrites;
};

using T = PlatformEvent::Type;

TEST(DisplayModeController, MaximiseGoesFullScreenAndWritesOne) {
    DisplayRig r;
    r.player(T::kMaximise);
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(r.calls(), (Calls{"fullscreen", "restore", "maximise"}));
    // The restore inside the switch writes 0 nested; the switch's own 1 comes last.
    EXPECT_EQ(r.screenWrites, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(r.screenInFile(), 1);
    EXPECT_FALSE(r.display.switching());
    EXPECT_FALSE(r.display.sizing());
    // The full screen is entered while both flags are set, the window shown
    // with only the switching flag.
    ASSERT_EQ(r.seen.size(), 3u);
    EXPECT_TRUE(r.seen[0].switching && r.seen[0].sizing);
    EXPECT_TRUE(r.seen[1].switching && !r.seen[1].sizing);
    EXPECT_TRUE(r.seen[2].switching && !r.seen[2].sizing);
}

TEST(DisplayModeController, RestoreReturnsToTheWindowAndWritesZero) {
    DisplayRig r;
    r.player(T::kMaximise);
    r.player(T::kRestore);
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_EQ(r.calls(), (Calls{"windowed", "restore"}));
    EXPECT_EQ(r.screenWrites, (std::vector<int32_t>{0}));
    EXPECT_EQ(r.screenInFile(), 0);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_TRUE(r.seen[0].switching && r.seen[0].sizing);
    EXPECT_TRUE(r.seen[1].switching && !r.seen[1].sizing);
}

TEST(DisplayModeController, MinimiseFromFullScreenKeepsScreenSoTheNextStartIsFullScreen) {
    const fs::path path = freshSettingsPath();
    {
        DisplayRig r(path);
        r.player(T::kMaximise);
        r.player(T::kMinimise);
        EXPECT_EQ(r.platform.displayMode(), DisplayMode::kWindowed);
        EXPECT_EQ(r.platform.windowState(), WindowSize::kMinimised);
        EXPECT_EQ(r.calls(), (Calls{"windowed", "restore", "minimise"}));
        // The window comes back maximised and goes down again: both nested, no write.
        EXPECT_TRUE(r.screenWrites.empty());
        EXPECT_EQ(r.screenInFile(), 1);
        EXPECT_EQ(r.window.state(), 2);
        EXPECT_TRUE(r.timer.paused());
        r.path = fs::path(); // the next start reads the same file
    }
    DisplayRig next(path);
    ASSERT_TRUE(next.display.applyStartChoice());
    EXPECT_EQ(next.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(next.screenInFile(), 1);
    fs::remove_all(path.parent_path());
}

TEST(DisplayModeController, NotificationsDuringASwitchDoNothingButTheWriteOfARestore) {
    DisplayRig r;
    // Notifications that arrive while the switch runs.
    r.platform.onDisplayCall([&](const std::string& call) {
        r.seen.push_back({call, r.display.switching(), r.display.sizing(), r.timer.paused()});
        if (call != "fullscreen") return;
        const auto writes = r.screenWrites.size();
        EXPECT_EQ(r.display.switchDisplayMode(WindowSize::kMinimised), 1);
        EXPECT_EQ(r.display.switchDisplayMode(WindowSize::kMaximised), 1);
        EXPECT_EQ(r.screenWrites.size(), writes);
        EXPECT_EQ(r.display.switchDisplayMode(WindowSize::kRestored), 1);
        EXPECT_EQ(r.screenWrites.size(), writes + 1);
        EXPECT_EQ(r.screenWrites.back(), 0);
    });
    r.player(T::kMaximise);
    // Nothing but the three calls of the switch itself.
    EXPECT_EQ(r.calls(), (Calls{"fullscreen", "restore", "maximise"}));
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(r.screenWrites, (std::vector<int32_t>{0, 0, 1}));
}

TEST(DisplayModeController, TheTimerDoesNotTickDuringASwitch) {
    DisplayRig r;
    // The tick only counts (an atomic): the switch's state is read on this
    // thread, at its display calls; calls outside a switch do not count.
    std::atomic<int> ticks{0};
    int ticksWhileSwitching = 0;
    r.timer.addTick([&] { ticks.fetch_add(1); });
    ASSERT_TRUE(r.timer.start());
    r.window.setEngineRunning(true);
    r.timer.setPaused(false);
    r.platform.onDisplayCall([&](const std::string& call) {
        r.seen.push_back({call, r.display.switching(), r.display.sizing(), r.timer.paused()});
        // Time for several periods of the timer.
        const int before = ticks.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        const int after = ticks.load();
        if (r.display.switching()) ticksWhileSwitching += after - before;
    });
    r.player(T::kMaximise);
    r.player(T::kRestore);
    for (const Seen& s : r.seen) EXPECT_TRUE(s.timerPaused) << s.call;
    // A tick under way when the switch began may end; none begins during it.
    EXPECT_LE(ticksWhileSwitching, 1);
    // startEngine: the timer runs again after the switch.
    EXPECT_FALSE(r.timer.paused());
    r.timer.stop();
}

TEST(DisplayModeController, TheFullScreenKeyGoesThroughTheSameSwitch) {
    DisplayRig r;
    r.player(T::kToggleFullScreen);
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(r.screenInFile(), 1);
    EXPECT_EQ(r.calls(), (Calls{"fullscreen", "restore", "maximise"}));
    r.player(T::kToggleFullScreen);
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_EQ(r.screenInFile(), 0);
    EXPECT_EQ(r.screenWrites, (std::vector<int32_t>{0}));
    // Back and forth again: the key and the window's own changes agree.
    r.player(T::kToggleFullScreen);
    r.player(T::kRestore);
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_EQ(r.screenInFile(), 0);
}

TEST(DisplayModeController, AFailureToEnterFullScreenIsFatal) {
    DisplayRig r;
    r.timer.setPaused(false);
    r.window.setEngineRunning(true);
    r.platform.refuseFullScreen(true);
    testing::internal::CaptureStderr();
    r.player(T::kMaximise);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "显示错误: 显示模式的设定失败了\n");
    EXPECT_TRUE(r.errors.shown());
    EXPECT_EQ(r.window.state(), 255);
    EXPECT_TRUE(r.timer.paused()); // not started again after the error
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_EQ(r.screenInFile(), -1);
    EXPECT_EQ(r.calls(), (Calls{"fullscreen refused"}));
}

TEST(DisplayModeController, StartChoiceFollowsScreenAndTheCommandLineWritesNothing) {
    DisplayRig r;
    ASSERT_TRUE(r.display.applyStartChoice());
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_TRUE(r.calls().empty());
    ASSERT_TRUE(r.display.applyStartChoice(DisplayMode::kFullScreen));
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(r.screenInFile(), -1);

    DisplayRig saved;
    saved.settings.setScreen(1);
    saved.seen.clear();
    ASSERT_TRUE(saved.display.applyStartChoice(DisplayMode::kWindowed));
    EXPECT_EQ(saved.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_TRUE(saved.calls().empty());
    EXPECT_EQ(saved.screenInFile(), 1);
    ASSERT_TRUE(saved.display.applyStartChoice());
    EXPECT_EQ(saved.platform.displayMode(), DisplayMode::kFullScreen);
}

TEST(DisplayModeController, ADepthOtherThanThePresentedOneForcesFullScreenAndStopsSwitching) {
    DisplayRig r;
    ASSERT_TRUE(r.display.checkDepth(16));
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(r.screenInFile(), 1);
    r.player(T::kRestore);
    r.player(T::kMinimise);
    EXPECT_EQ(r.platform.displayMode(), DisplayMode::kFullScreen);
    EXPECT_EQ(r.display.switchDisplayMode(WindowSize::kRestored), 0);
    EXPECT_EQ(r.screenInFile(), 1);
    // The presenter converts the picture for any desktop: switching works.
    DisplayRig any;
    ASSERT_TRUE(any.display.checkDepth(DisplayModeController::kPresentedDepth));
    EXPECT_EQ(any.platform.displayMode(), DisplayMode::kWindowed);
    EXPECT_EQ(any.display.switchDisplayMode(WindowSize::kMaximised), 1);
    EXPECT_EQ(any.platform.displayMode(), DisplayMode::kFullScreen);
}

} // namespace
} // namespace fer

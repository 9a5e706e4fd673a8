#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/EngineContext.h"
#include "shell/FatalErrorReporter.h"

namespace fer {
namespace {

// A main window on the headless platform, with what it works with.
struct WindowRig {
    explicit WindowRig(std::vector<TimedEvent> events)
        : platform(std::move(events), std::nullopt), settingsFile("/nonexistent/KITE5HAN.INI"),
          settings(settingsFile), screen(platform, planes), window(platform, timer, settings, screen),
          errors(platform, window, timer, settings, screen) {
        window.create("test", false);
        platform.startClock();
    }
    HeadlessPlatform platform;
    SettingsFile settingsFile;
    PlayerSettings settings;
    TimerThread timer;
    PlaneSet planes;
    Screen screen;
    MainWindow window;
    FatalErrorReporter errors;
};

TimedEvent at0(PlatformEvent::Type type, int code = 0, std::string text = {}) {
    TimedEvent e;
    e.event.type = type;
    e.event.code = code;
    e.event.text = std::move(text);
    return e;
}

TEST(MainWindow, StatesAndThePumpResult) {
    using T = PlatformEvent::Type;
    WindowRig c({at0(T::kKeyDown, 13), at0(T::kDeactivate), at0(T::kMinimise), at0(T::kActivate),
                 at0(T::kClose)});
    MainWindow& w = c.window;
    EXPECT_EQ(w.pump(), 1);
    EXPECT_TRUE(w.keys().query(0));
    EXPECT_EQ(w.pump(), 1);
    EXPECT_EQ(w.state(), 1);
    EXPECT_TRUE(c.timer.paused());
    EXPECT_EQ(w.pump(), 1);
    EXPECT_EQ(w.state(), 2);
    // Re-activation resumes the timer only once the engine runs.
    EXPECT_EQ(w.pump(), 1);
    EXPECT_EQ(w.state(), 0);
    EXPECT_TRUE(c.timer.paused());
    // Closing asks for confirmation; the headless answer is OK.
    EXPECT_EQ(w.pump(), 0);
    EXPECT_EQ(w.state(), 255);
    EXPECT_EQ(w.pump(), 0);
    // Nothing reopens a closed window: a script change chosen later is dropped.
    w.setState(3);
    EXPECT_EQ(w.state(), 255);
    EXPECT_EQ(w.pump(), 0);
}

TEST(MainWindow, ActivationResumesTheTimerOnceTheEngineRuns) {
    using T = PlatformEvent::Type;
    WindowRig c({at0(T::kDeactivate), at0(T::kActivate)});
    c.window.setEngineRunning(true);
    c.timer.setPaused(false);
    c.window.pump();
    EXPECT_TRUE(c.timer.paused());
    c.window.pump();
    EXPECT_FALSE(c.timer.paused());
}

TEST(MainWindow, EventsGoToTheirHandlersAndEveryPassEndsAtTheSyncPoint) {
    using T = PlatformEvent::Type;
    WindowRig c({at0(T::kMenu, 40010), at0(T::kDropFile, 0, "/a/B.MES"), at0(T::kScreenshot)});
    std::vector<std::string> seen;
    int passes = 0;
    c.window.onMenu([&](int id) { seen.push_back("menu " + std::to_string(id)); });
    c.window.onDrop([&](const std::string& path) { seen.push_back("drop " + path); });
    c.window.onScreenshot([&] { seen.push_back("screenshot"); });
    c.window.onPassEnd([&] { ++passes; });
    for (int i = 0; i < 4; ++i) c.window.pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"menu 40010", "drop /a/B.MES", "screenshot"}));
    EXPECT_EQ(passes, 4);
}

TEST(MainWindow, FatalErrorClosesTheWindowAndPausesTheTimer) {
    WindowRig c({});
    c.timer.setPaused(false);
    testing::internal::CaptureStderr();
    c.errors.fatalError("标题", "正文");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "标题: 正文\n");
    EXPECT_EQ(c.window.state(), 255);
    EXPECT_TRUE(c.timer.paused());
    EXPECT_TRUE(c.errors.shown());
    // A restart asked for after the error does not undo the close.
    c.window.setState(3);
    EXPECT_EQ(c.window.pump(), 0);
    EXPECT_EQ(c.window.state(), 255);
}

} // namespace
} // namespace fer

namespace fer {
namespace {

// An engine context started in a fresh game directory.
class ContextInDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() /
               ("fer-menu-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        context_.reset();
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void writeSettings(const std::string& text) {
        std::ofstream(dir_ / "KITE5HAN.INI", std::ios::binary) << text;
    }
    std::string settingsText() {
        std::ifstream in(dir_ / "KITE5HAN.INI", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Runs the main sequence on code (by default a script that ends at once).
    void start(const std::string& code = std::string(1, '\0')) {
        std::ofstream(dir_ / "MAIN.MES", std::ios::binary) << code;
        auto platform = std::make_unique<HeadlessPlatform>(std::vector<TimedEvent>{}, std::nullopt);
        platform_ = platform.get();
        context_ = std::make_unique<EngineContext>(options_, kGb2312Variant, std::move(platform));
        EXPECT_EQ(context_->run(), 0);
    }

    CommandLine options_;
    std::filesystem::path previous_, dir_;
    std::unique_ptr<EngineContext> context_;
    HeadlessPlatform* platform_ = nullptr;
};

TEST_F(ContextInDirectory, DefaultsWithoutASettingsFile) {
    start();
    EXPECT_EQ(platform_->title(), "FerKite");
    // Menu 104: the settings popup and "Help", no "Debug".
    ASSERT_EQ(platform_->menu().bar.size(), 2u);
    EXPECT_EQ(platform_->menu().bar[0].text, "环境设定");
    EXPECT_EQ(platform_->menu().bar[1].id, menu_id::kHelp);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kMoveNormal));
    EXPECT_EQ(context_->settings().moveSpeed(), 8);
    // The headless sound device plays: music and voices are on, at full volume.
    EXPECT_TRUE(platform_->menuChecked(menu_id::kMusicOn));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMusicOff));
    EXPECT_TRUE(platform_->menuChecked(menu_id::kVoiceOn));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kVoiceOff));
    EXPECT_TRUE(platform_->menuChecked(menu_id::kMusicVolume0 + 4));
    EXPECT_TRUE(platform_->menuChecked(menu_id::kVoiceVolume0 + 4));
    EXPECT_TRUE(platform_->menuChecked(menu_id::kSubmapNormal));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "KITE5HAN.INI")); // never created by reading
    EXPECT_EQ(context_->machine().memory.scriptName(), "MAIN.MES");
}

// Game folders copied from elsewhere keep names in any case.
TEST_F(ContextInDirectory, ASettingsFileInLowerCaseIsReadAndWrittenUnderItsName) {
    std::ofstream(dir_ / "kite5han.ini", std::ios::binary) << "[Config]\r\nSUBMAP=1\r\n";
    start();
    EXPECT_TRUE(platform_->menuChecked(menu_id::kSubmapSkip));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "KITE5HAN.INI"));
}

TEST_F(ContextInDirectory, UnknownMoveSettingChecksNothing) {
    writeSettings("[Config]\r\nMOVE=7\r\nSUBMAP=1\r\nbDEBUG=1\r\n");
    // A call of procedure 7, never defined: the log and stderr say so.
    testing::internal::CaptureStderr();
    start(std::string("\x0F\x02\x07\xFF\x00\x00", 6));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "engine: undefined procedure 7 called at 0x00001000: nothing runs\n"),
              std::string::npos);
    // The log's first line; the sound output's count follows at the end.
    std::ifstream log(dir_ / "FERKITE.LOG", std::ios::binary);
    std::string first;
    std::getline(log, first);
    EXPECT_EQ(first, "undefined procedure 7 called at 0x00001000: nothing runs");
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMoveFast));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMoveNormal));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMoveSlow));
    EXPECT_EQ(context_->settings().moveSpeed(), 8);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kSubmapSkip));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "FERKITE.LOG"));
    // Menu 103 with "FileLoad" and "Debug".
    ASSERT_EQ(platform_->menu().bar.size(), 4u);
    EXPECT_EQ(platform_->menu().bar[0].id, menu_id::kFileLoad);
    EXPECT_EQ(platform_->menu().bar[2].text, "Debug");
}

TEST_F(ContextInDirectory, MenuTogglesWriteTheirSettingsAndChecks) {
    writeSettings("; my settings\r\n[Config]\r\nMOVE=1\r\n");
    start();
    MenuCommands& menu = context_->menu();
    menu.command(menu_id::kMoveSlow);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kMoveSlow));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMoveNormal));
    EXPECT_EQ(context_->settings().moveSpeed(), 16);
    menu.command(menu_id::kMusicOn);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kMusicOn));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMusicOff));
    EXPECT_EQ(context_->machine().memory.reg32(1), 0xFFFFu);
    menu.command(menu_id::kVoiceOff);
    menu.command(menu_id::kSubmapSkip);
    const std::string text = settingsText();
    EXPECT_EQ(text.rfind("; my settings\r\n[Config]\r\nMOVE=2\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("SOUND=1"), std::string::npos);
    EXPECT_NE(text.find("VOICE=0"), std::string::npos);
    EXPECT_NE(text.find("SUBMAP=1"), std::string::npos);
}

TEST_F(ContextInDirectory, VolumesAreReadFromOurOwnSectionAndTheMenuKeepsOneMarkEach) {
    writeSettings("[Config]\r\nSOUND=0\r\n[FerKite]\r\nMusicVolume=60\r\nVoiceVolume=300\r\n");
    start();
    EXPECT_TRUE(platform_->menuChecked(menu_id::kMusicOff));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kMusicOn));
    EXPECT_EQ(context_->settings().musicVolume(), 60);
    EXPECT_EQ(context_->settings().voiceVolume(), 100); // kept within 0 to 100
    for (int step = 0; step < menu_id::kVolumeSteps; ++step) {
        EXPECT_EQ(platform_->menuChecked(menu_id::kMusicVolume0 + step), step == 2) << step;
        EXPECT_EQ(platform_->menuChecked(menu_id::kVoiceVolume0 + step), step == 4) << step;
    }
    MenuCommands& menu = context_->menu();
    menu.command(menu_id::kMusicVolume0 + 1);
    menu.command(menu_id::kVoiceVolume0);
    EXPECT_EQ(context_->settings().musicVolume(), 25);
    EXPECT_EQ(context_->settings().voiceVolume(), 0);
    for (int step = 0; step < menu_id::kVolumeSteps; ++step) {
        EXPECT_EQ(platform_->menuChecked(menu_id::kMusicVolume0 + step), step == 1) << step;
        EXPECT_EQ(platform_->menuChecked(menu_id::kVoiceVolume0 + step), step == 0) << step;
    }
    const std::string text = settingsText();
    EXPECT_NE(text.find("[FerKite]\r\nMusicVolume=25\r\nVoiceVolume=0\r\n"), std::string::npos)
        << text;
}

TEST_F(ContextInDirectory, EveryCommandOfABuiltSubsystemIsRegisteredByItsOwner) {
    start();
    const CommandTable& table = context_->commands();
    for (const TableEntry& c : operation_table::kCommands) {
        EXPECT_TRUE(table.has(c.kind, c.number)) << c.number;
    }
}

TEST_F(ContextInDirectory, ScreenSettingStartsFullScreenAndTheMenuSwitchesAndScales) {
    writeSettings("[Config]\r\nSCREEN=1\r\n");
    start();
    EXPECT_EQ(platform_->displayMode(), DisplayMode::kFullScreen);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kFullScreen));
    EXPECT_TRUE(platform_->menuChecked(menu_id::kScaleWhole));
    MenuCommands& menu = context_->menu();
    menu.command(menu_id::kFullScreen); // as the full-screen key: back to the window
    EXPECT_EQ(platform_->displayMode(), DisplayMode::kWindowed);
    EXPECT_FALSE(platform_->menuChecked(menu_id::kFullScreen));
    EXPECT_NE(settingsText().find("SCREEN=0"), std::string::npos) << settingsText();
    menu.command(menu_id::kScaleStretch);
    EXPECT_EQ(platform_->scaleMode(), ScaleMode::kStretch);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kScaleStretch));
    EXPECT_FALSE(platform_->menuChecked(menu_id::kScaleWhole));
    EXPECT_NE(settingsText().find("[FerKite]\r\nScale=stretch"), std::string::npos)
        << settingsText();
    menu.command(menu_id::kScaleWhole);
    EXPECT_EQ(platform_->scaleMode(), ScaleMode::kWholeFactor);
    EXPECT_NE(settingsText().find("Scale=0"), std::string::npos) << settingsText();
}

TEST_F(ContextInDirectory, FullScreenForOneRunWritesNoSetting) {
    options_.displayMode = DisplayMode::kFullScreen;
    start();
    EXPECT_EQ(platform_->displayMode(), DisplayMode::kFullScreen);
    EXPECT_TRUE(platform_->menuChecked(menu_id::kFullScreen));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "KITE5HAN.INI"));
}

TEST_F(ContextInDirectory, WindowForOneRunOverridesTheSetting) {
    writeSettings("[Config]\r\nSCREEN=1\r\n");
    options_.displayMode = DisplayMode::kWindowed;
    start();
    EXPECT_EQ(platform_->displayMode(), DisplayMode::kWindowed);
    EXPECT_EQ(settingsText(), "[Config]\r\nSCREEN=1\r\n");
}

} // namespace
} // namespace fer

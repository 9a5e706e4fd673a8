// The debug monitor on the headless platform: the file-name window, the
// address box of the dump, "COMMAND", and the live views.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MenuIds.h"
#include "debug/DebugMonitor.h"
#include "platform/ScriptedInput.h"
#include "platform/headless/HeadlessPlatform.h"

namespace fer {
namespace {

using namespace menu_id;

std::vector<TimedEvent> scripted(const std::string& text) {
    ScriptedInput in;
    std::string error;
    EXPECT_TRUE(in.parse(text, error)) << error;
    return in.events();
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class DebugMonitorTest : public ::testing::Test {
  protected:
    void start(const std::string& input) {
        platform_.emplace(scripted(input), std::nullopt);
        monitor_.emplace(*platform_, machine_, names_, kGb2312Variant);
        platform_->startClock();
    }

    ScriptMachine machine_;
    CurrentFileNames names_;
    std::optional<HeadlessPlatform> platform_;
    std::optional<DebugMonitor> monitor_;
};

TEST_F(DebugMonitorTest, FileNameWindowIsHiddenByClosingAndShownAgainWithCurrentNames) {
    start("");
    names_.set(CurrentFileNames::kScript, "MAIN.MES");
    testing::internal::CaptureStdout();
    monitor_->refreshFileNames(); // not shown yet: nothing
    EXPECT_TRUE(monitor_->command(kNowFile));
    ASSERT_NE(monitor_->fileNamesWindow(), nullptr);
    const FileNamesView* first = monitor_->fileNamesWindow();
    names_.set(CurrentFileNames::kPicture, "BG01.BMP");
    monitor_->refreshFileNames();
    // The player closes it: names change unseen.
    platform_->hideDebugView(const_cast<FileNamesView&>(*first));
    EXPECT_FALSE(monitor_->fileNamesShown());
    names_.set(CurrentFileNames::kData, "X.DAT");
    names_.set(CurrentFileNames::kMusic, "BGM01");
    monitor_->refreshFileNames();
    EXPECT_TRUE(monitor_->command(kNowFile));
    EXPECT_EQ(monitor_->fileNamesWindow(), first); // the same window
    EXPECT_TRUE(monitor_->fileNamesShown());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[FILES] MES=MAIN.MES PIC= DATA= MUSIC= VOICE=\n"
              "[FILES] MES=MAIN.MES PIC=BG01.BMP DATA= MUSIC= VOICE=\n"
              "[FILES] MES=MAIN.MES PIC=BG01.BMP DATA=X.DAT MUSIC=BGM01 VOICE=\n");
}

TEST_F(DebugMonitorTest, FileNamesAreShownAsUtf8AndOddBytesEscaped) {
    start("");
    names_.set(CurrentFileNames::kScript, "\xB5\xDA\x31.MES"); // "第1.MES" in GB2312
    names_.set(CurrentFileNames::kPicture, "A\x1B[2J");
    names_.set(CurrentFileNames::kData, "\xFF");
    names_.set(CurrentFileNames::kMusic, "MUSIC/FESTIVAL_NIGHT_VERSION_2.WAV"); // 34 columns
    names_.set(CurrentFileNames::kVoice,
               "\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA"
               "\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA\xB5\xDA.WAV");
    monitor_->showFileNames();
    FileNamesView& view = const_cast<FileNamesView&>(*monitor_->fileNamesWindow());
    EXPECT_EQ(view.shownName(CurrentFileNames::kScript), "第1.MES");
    EXPECT_EQ(view.shownName(CurrentFileNames::kPicture), "A\\x1B[2J");
    EXPECT_EQ(view.shownName(CurrentFileNames::kData), "\\xFF");
    const std::vector<DebugCell> cells = view.cells();
    ASSERT_EQ(cells.size(), 10u);
    EXPECT_EQ(cells[0].text, "MES FILE");
    EXPECT_EQ(cells[8].text, "VOICE FILE");
    EXPECT_EQ(view.title(), "文件");
    // Names start a column after the longest label, "MUSIC FILE" (16 + 10 x 8 = 96), and
    // one wider than the 28 columns to the window's right margin (350 - 104 - 16 = 230
    // pixels) keeps 13 columns of its start and 14 of its end around the "…".
    EXPECT_EQ(cells[7].x, 104);
    EXPECT_EQ(cells[7].text, "MUSIC/FESTIVA…_VERSION_2.WAV");
    EXPECT_EQ(cells[9].text, "第第第第第第…第第第第第.WAV");
}

TEST_F(DebugMonitorTest, AddressesThatAreNotNumbersOrTooLargeOpenNoDump) {
    start("0 type abc\n10 press enter\n"
          "100 press enter\n"
          "200 type 1053045\n210 press enter\n"
          "300 type 12\n310 press esc\n"
          "400 type 4096\n410 press enter\n500 press esc\n");
    machine_.memory.setByte(4096, 0xAB);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(monitor_->command(kDump));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count(testing::internal::GetCapturedStderr(), "地址输入: 请输入地址\n"), 5u);
    EXPECT_EQ(count(out, "[VIEW 40013 page 0]\n"), 1u) << out;
    EXPECT_NE(out.find("48 24 ABH\n"), std::string::npos) << out;
    EXPECT_EQ(out.rfind("[END VIEW]\n"), out.size() - 11);
}

TEST_F(DebugMonitorTest, CommandDoesNothingAndOtherIdsAreNotTheMonitors) {
    start("");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(monitor_->command(kCommand));
    EXPECT_FALSE(monitor_->command(kMusicOn));
    EXPECT_FALSE(monitor_->command(12345));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(DebugMonitorTest, LiveViewsAreRedrawnWhenTheirContentsChangeWithoutBlocking) {
    start("");
    monitor_->command(kLiveViews);
    EXPECT_TRUE(monitor_->live());
    EXPECT_TRUE(platform_->menuChecked(kLiveViews));
    testing::internal::CaptureStdout();
    monitor_->command(kViewReg16); // returns at once
    monitor_->command(kViewReg16); // the same view again
    EXPECT_EQ(monitor_->liveViews(), 1u);
    platform_->sleepMilliseconds(DebugMonitor::kFrameMs + 2);
    monitor_->tick(); // nothing changed: nothing printed
    machine_.memory.setReg16(0, 12345);
    monitor_->tick(); // within the frame: waits for the next
    platform_->sleepMilliseconds(DebugMonitor::kFrameMs + 2);
    monitor_->tick();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count(out, "[VIEW 40011 page 0 live]\n"), 3u) << out;
    EXPECT_NE(out.find("48 0 12345\n"), std::string::npos);

    testing::internal::CaptureStdout();
    monitor_->command(kLiveViews); // off: the live views go
    EXPECT_FALSE(platform_->menuChecked(kLiveViews));
    EXPECT_EQ(monitor_->liveViews(), 0u);
    machine_.memory.setReg16(0, 1);
    platform_->sleepMilliseconds(DebugMonitor::kFrameMs + 2);
    monitor_->tick();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(DebugMonitorTest, ALiveViewThePlayerClosedIsDropped) {
    start("");
    monitor_->setLive(true);
    testing::internal::CaptureStdout();
    monitor_->command(kViewCode);
    monitor_->command(kViewFlags);
    EXPECT_EQ(monitor_->liveViews(), 2u);
    ASSERT_NE(monitor_->liveView(kViewFlags), nullptr);
    platform_->hideDebugView(*monitor_->liveView(kViewFlags)); // the player closes it
    platform_->sleepMilliseconds(DebugMonitor::kFrameMs + 2);
    monitor_->tick();
    EXPECT_EQ(monitor_->liveViews(), 1u);
    EXPECT_EQ(monitor_->liveView(kViewFlags), nullptr);
    ASSERT_NE(monitor_->liveView(kViewCode), nullptr);
    EXPECT_TRUE(platform_->debugViewShown(*monitor_->liveView(kViewCode)));
    monitor_->closeAll();
    EXPECT_EQ(monitor_->liveViews(), 0u);
    testing::internal::GetCapturedStdout();
}

} // namespace
} // namespace fer

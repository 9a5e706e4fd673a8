#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/PlayerSettings.h"

namespace fer {
namespace {

class PlayerSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("fer-player-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".INI");
    }
    void TearDown() override { std::filesystem::remove(path_); }
    void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    std::filesystem::path path_;
};

TEST_F(PlayerSettingsTest, LoadKeepsSoundOffWithoutADevice) {
    write("[Config]\r\nSOUND=1\r\nVOICE=1\r\nMOVE=2\r\nSUBMAP=1\r\nSCREEN=1\r\n");
    SettingsFile file(path_);
    PlayerSettings s(file);
    s.load(false);
    EXPECT_EQ(s.musicEnabled(), 0);
    EXPECT_EQ(s.voiceEnabled(), 0);
    EXPECT_EQ(s.moveSpeed(), 16);
    EXPECT_EQ(s.submapSetting(), 1);
    EXPECT_EQ(s.screenSetting(), 1);
    s.load(true);
    EXPECT_EQ(s.musicEnabled(), 1);
    EXPECT_EQ(s.voiceEnabled(), 1);
}

TEST_F(PlayerSettingsTest, AnUnknownMoveKeepsTheSpeed) {
    write("[Config]\r\nMOVE=0\r\n");
    SettingsFile file(path_);
    PlayerSettings s(file);
    s.load(false);
    EXPECT_EQ(s.moveSpeed(), 0);
    write("[Config]\r\nMOVE=9\r\n");
    s.load(false);
    EXPECT_EQ(s.moveSetting(), 9);
    EXPECT_EQ(s.moveSpeed(), 0);
}

TEST_F(PlayerSettingsTest, ChoicesAreWrittenAndHeardByEveryListener) {
    SettingsFile file(path_);
    PlayerSettings s(file);
    std::vector<PlayerSettings::Change> a, b;
    s.addListener([&](PlayerSettings::Change c) { a.push_back(c); });
    s.addListener([&](PlayerSettings::Change c) { b.push_back(c); });
    s.setMusic(1);
    s.setVoice(0);
    s.setMove(2);
    s.setSubmap(1);
    s.setScreen(1);
    s.setCursorShown(false);
    s.setCursorShown(false); // no change, nothing told
    s.setSpeak(true);
    s.setCopyText(true);
    s.speakThisRun(); // the command line's: not written, nothing told
    using C = PlayerSettings::Change;
    const std::vector<C> expected{C::kMusic,  C::kVoice,       C::kMove,       C::kSubmap,
                                  C::kScreen, C::kCursor,      C::kReadingAids, C::kReadingAids};
    EXPECT_EQ(a, expected);
    EXPECT_EQ(b, expected);
    EXPECT_EQ(s.moveSpeed(), 16);
    SettingsFile again(path_);
    EXPECT_EQ(again.getInt("Config", "SOUND", -1), 1);
    EXPECT_EQ(again.getInt("Config", "VOICE", -1), 0);
    EXPECT_EQ(again.getInt("Config", "MOVE", -1), 2);
    EXPECT_EQ(again.getInt("Config", "SUBMAP", -1), 1);
    EXPECT_EQ(again.getInt("Config", "SCREEN", -1), 1);
    EXPECT_EQ(again.getInt("FerKite", "Speak", -1), 1);
    EXPECT_EQ(again.getInt("FerKite", "SpeakVoiced", -1), -1);
    EXPECT_EQ(again.getInt("FerKite", "CopyText", -1), 1);
}

} // namespace
} // namespace fer

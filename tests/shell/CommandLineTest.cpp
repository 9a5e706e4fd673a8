#include <gtest/gtest.h>

#include "shell/CommandLine.h"

namespace fer {
namespace {

TEST(CommandLine, AcceptsTheDocumentedForms) {
    CommandLine c;
    std::string error;
    ASSERT_TRUE(c.parse({"--headless", "--input", "in.txt", "--quit-after", "1500", "--screenshot",
                         "s.png", "--dump-memory", "m.bin", "--audio-out", "a.wav", "game"},
                        error))
        << error;
    EXPECT_TRUE(c.headless);
    EXPECT_EQ(c.inputPath, "in.txt");
    EXPECT_EQ(c.quitAfterMs, 1500u);
    EXPECT_EQ(c.screenshotPath, "s.png");
    EXPECT_EQ(c.dumpMemoryPath, "m.bin");
    EXPECT_EQ(c.audioOutPath, "a.wav");
    EXPECT_EQ(c.gameDirectory, "game");
    CommandLine hooks, clipboard;
    ASSERT_TRUE(hooks.parse({"--speak", "--text-hook", "stdout"}, error));
    EXPECT_TRUE(hooks.speak && hooks.printText && !hooks.clipboardText);
    ASSERT_TRUE(clipboard.parse({"--text-hook", "clipboard"}, error));
    EXPECT_TRUE(clipboard.clipboardText && !clipboard.printText && !clipboard.speak);
}

TEST(CommandLine, RejectsBadUsage) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--quit-after"},
        {"--quit-after", "soon"},
        {"--quit-after", "-5"},
        {"--bogus"},
        {"a", "b"},
        {"--audio-out"},
        {"--scale", "0"},
        {"--scale", "17"},
        {"--scale", "fits"},
        {"--scale", "2x"},
        {"--scale"},
        {"--text-hook"},
        {"--text-hook", "file"},
    };
    for (const auto& args : bad) {
        CommandLine c;
        std::string error;
        EXPECT_FALSE(c.parse(args, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(CommandLine, ScaleTakesAFactorFitOrStretch) {
    struct Case {
        const char* text;
        int factor;
        ScaleMode mode;
    };
    for (const Case& c :
         {Case{"1", 1, ScaleMode::kWholeFactor}, Case{"16", 16, ScaleMode::kWholeFactor},
          Case{"fit", 0, ScaleMode::kFit}, Case{"stretch", 0, ScaleMode::kStretch},
          Case{"FIT", 0, ScaleMode::kFit}}) {
        CommandLine line;
        std::string error;
        ASSERT_TRUE(line.parse({"--scale", c.text}, error)) << c.text << ": " << error;
        ASSERT_TRUE(line.scale);
        EXPECT_EQ(line.scale->factor, c.factor) << c.text;
        EXPECT_EQ(line.scale->mode, c.mode) << c.text;
    }
    CommandLine none;
    std::string error;
    ASSERT_TRUE(none.parse({}, error));
    EXPECT_FALSE(none.scale);
    EXPECT_FALSE(none.displayMode);
}

TEST(CommandLine, FullScreenOrWindowForOneRun) {
    CommandLine full, window, last;
    std::string error;
    ASSERT_TRUE(full.parse({"--fullscreen"}, error));
    EXPECT_EQ(full.displayMode, DisplayMode::kFullScreen);
    ASSERT_TRUE(window.parse({"--window"}, error));
    EXPECT_EQ(window.displayMode, DisplayMode::kWindowed);
    ASSERT_TRUE(last.parse({"--fullscreen", "--window"}, error)); // the last one counts
    EXPECT_EQ(last.displayMode, DisplayMode::kWindowed);
    const std::string usage = CommandLine::usage();
    for (const char* option : {"--scale N|fit|stretch", "--fullscreen", "--window", "Alt+Enter"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(ScaleChoice, TheSettingAlsoTakesZeroAndReadsBackWhatIsWritten) {
    const auto zero = ScaleChoice::parse("0", true);
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->factor, 0);
    EXPECT_FALSE(ScaleChoice::parse("0"));
    EXPECT_FALSE(ScaleChoice::parse(""));
    EXPECT_FALSE(ScaleChoice::parse("-1", true));
    EXPECT_FALSE(ScaleChoice::parse(" 2"));
    for (const char* text : {"0", "3", "fit", "stretch"}) {
        const auto c = ScaleChoice::parse(text, true);
        ASSERT_TRUE(c) << text;
        EXPECT_EQ(c->text(), text);
    }
}

} // namespace
} // namespace fer

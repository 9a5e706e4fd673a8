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
}

TEST(CommandLine, RejectsBadUsage) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--quit-after"}, {"--quit-after", "soon"}, {"--quit-after", "-5"}, {"--bogus"},
        {"a", "b"},       {"--audio-out"},          {"--scale", "0"},
    };
    for (const auto& args : bad) {
        CommandLine c;
        std::string error;
        EXPECT_FALSE(c.parse(args, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace fer

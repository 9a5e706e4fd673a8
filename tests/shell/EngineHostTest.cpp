// The engine's pass lets a few instructions that only assign or jump go by
// without the pump, but never after an event (the next one may be waiting
// behind it), while the script waits, or while the window is not active.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/EngineContext.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

TEST(EngineHost, PassesGoWithoutThePumpOnlyWhenItFoundNothing) {
    const fs::path dir = fs::temp_directory_path() /
                         ("fer-enginehost-" +
                          std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    {
        CommandLine options;
        options.headless = true;
        PlatformEvent down;
        down.type = PlatformEvent::Type::kKeyDown;
        down.code = 13;
        PlatformEvent up = down;
        up.type = PlatformEvent::Type::kKeyUp;
        auto platform = std::make_unique<HeadlessPlatform>(
            std::vector<TimedEvent>{{0, down}, {0, up}}, std::nullopt);
        EngineContext context(options, kGb2312Variant, std::move(platform));
        ASSERT_TRUE(context.window().create("test", false));
        context.platform().startClock();
        ScriptHost& host = context.interpreter().host();

        // Two events wait: each pump takes one, and the pass after each must pump.
        host.pumpAndState();
        EXPECT_EQ(host.quietPasses(), 0u);
        host.pumpAndState();
        EXPECT_EQ(host.quietPasses(), 0u);
        // Nothing more waits: a few passes may go by.
        host.pumpAndState();
        EXPECT_GT(host.quietPasses(), 0u);
        EXPECT_LE(host.quietPasses(), 64u);
        // In the background, or closed, every pass pumps.
        for (const int state : {window_state::kInactive, window_state::kMinimised,
                                window_state::kRestart}) {
            host.setWindowState(state);
            EXPECT_EQ(host.quietPasses(), 0u) << state;
        }
        host.setWindowState(window_state::kActive);
        EXPECT_GT(host.quietPasses(), 0u);
        context.window().destroy();
        EXPECT_EQ(host.quietPasses(), 0u);
    }
    fs::current_path(previous);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
} // namespace fer

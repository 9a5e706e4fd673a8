// Waits for a number of ticks take that many ticks, although the pump sleeps
// while the script waits: the pass that brings a tick never sleeps, and the
// script goes on at full speed after its wait.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/EngineContext.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

uint16_t reg16(const ScriptMemory& memory, int r) {
    return memory.reg16(static_cast<uint8_t>(r));
}

TEST(TickWait, WaitsForTicksEndOnTheTickAndTheScriptGoesOnAtOnce) {
    const fs::path dir = fs::temp_directory_path() /
                         ("fer-tickwait-" +
                          std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    fs::copy_file(fs::path(FER_TICKWAIT_DIR) / "MAIN.MES", dir / "MAIN.MES",
                  fs::copy_options::overwrite_existing);
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    CommandLine options;
    options.headless = true;
    auto platform = std::make_unique<HeadlessPlatform>(std::vector<TimedEvent>{}, std::nullopt);
    {
        EngineContext context(options, kGb2312Variant, std::move(platform));
        const uint64_t before = context.timer().totalTicks();
        EXPECT_EQ(context.run(), 0);
        const uint64_t ticks = context.timer().totalTicks() - before;
        fs::current_path(previous);
        EXPECT_EQ(reg16(context.machine().memory, 1), 20);
        EXPECT_EQ(reg16(context.machine().memory, 2), 20);
        // Twenty waits until the count passes 3 (four ticks each) and twenty
        // until it reaches 3: 140 ticks. A pump that slept through the pass
        // of the tick, or after the wait, would take two ticks more a wait.
        EXPECT_GE(ticks, 138u);
        EXPECT_LE(ticks, 160u);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
} // namespace fer

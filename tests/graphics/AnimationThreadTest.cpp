// Animations and particles driven by a real second thread while the main
// thread draws, presents and fades as a script would; built into the
// threaded executable so it also runs under ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "AnimationTestSupport.h"
#include "graphics/TimedAnimations.h"

namespace fer::test {
namespace {

TEST(AnimationThread, TicksFromTheTimerThreadAreAllAppliedWhileTheScriptDraws) {
    AnimationRig rig;
    AnimatedCursor cursor;
    ParticleEffects particles(rig.planes, rig.host, [] { return 31u; });
    TimedAnimations timed(cursor, rig.channels, particles);
    int cursorImages = 0;
    cursor.onShow([&](uint16_t) { ++cursorImages; });

    // Ten channels: copies, fills and a palette change, looping for ever.
    rig.record(9, AnimationChannels::kCopy, {0, 0, 32, 32, 100, 100, 200, 200});
    rig.record(10, AnimationChannels::kFill, {300, 300, 16, 16, 44});
    rig.record(11, AnimationChannels::kExchange | 0x02, {0, 0, 40, 40, 400, 40});
    for (uint32_t n = 0; n < AnimationChannels::kChannels; ++n)
        rig.program(n, 64, {9, 10, AnimationChannels::kDelay, 1, 11, AnimationChannels::kPalette,
                            0x00, 0x04, AnimationChannels::kRestart});
    for (uint32_t n = 0; n < AnimationChannels::kChannels; ++n) rig.start(n, 1);
    particles.execute(ParticleEffects::kStartA);
    particles.execute(ParticleEffects::kStartB);
    cursor.select(2);

    std::atomic<bool> stop{false};
    std::atomic<uint32_t> recorded{0};
    std::thread timer([&] {
        while (!stop.load()) {
            rig.palette.timerTick();
            timed.recordTick();
            recorded.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    // The script: block transfers and fades into the same planes, presents,
    // and the sync point of each pass.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    uint32_t pass = 0;
    while (std::chrono::steady_clock::now() < end || recorded.load() < 300) {
        rig.graphics.blockTransferCommand(numbers({0, 0, 0, 63, 63, 1, pass % 500, 10, 0}));
        rig.graphics.blockTransferCommand(numbers({3, 10, 10, 50, 50, 0, 100, 300, 2}));
        if (pass % 50 == 0) rig.graphics.paletteCommand(numbers({4, pass % 256}));
        rig.host.present(0, 0, 640, 400);
        rig.graphics.showPaletteChanges();
        timed.applyPendingTicks();
        ++pass;
    }
    stop.store(true);
    timer.join();
    timed.applyPendingTicks();
    EXPECT_EQ(timed.applied(), recorded.load());
    EXPECT_EQ(timed.pending(), 0u);
    EXPECT_GT(particles.a().live(), 0u);
    EXPECT_GT(cursorImages, 1);
}

} // namespace
} // namespace fer::test

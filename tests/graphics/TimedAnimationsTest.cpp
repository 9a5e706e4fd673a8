// The ticks counted by the timer and applied by the main thread: all of
// them, in order, each once.

#include <gtest/gtest.h>

#include "AnimationTestSupport.h"
#include "graphics/TimedAnimations.h"

namespace fer::test {
namespace {

struct TimedRig : AnimationRig {
    TimedRig() : particles(planes, host, [] { return 7u; }), timed(cursor, channels, particles) {
        cursor.onShow([this](uint16_t n) { cursorImages.push_back(n); });
    }
    AnimatedCursor cursor;
    ParticleEffects particles;
    TimedAnimations timed;
    std::vector<uint16_t> cursorImages;
};

TEST(TimedAnimations, EveryCountedTickIsAppliedOnceInOrder) {
    TimedRig rig;
    rig.record(9, AnimationChannels::kFill, {0, 0, 1, 1, 40});
    rig.program(0, 64, {AnimationChannels::kDelay, 3, 9, AnimationChannels::kEnd});
    rig.start(0);
    rig.cursor.select(0);
    rig.particles.execute(ParticleEffects::kStartA);
    EXPECT_EQ(rig.timed.applyPendingTicks(), 0u);
    for (int i = 0; i < 4; ++i) rig.timed.recordTick();
    EXPECT_EQ(rig.timed.pending(), 4u);
    EXPECT_EQ(rig.state(), AnimationChannel::kUntilStopMark);
    EXPECT_EQ(rig.timed.applyPendingTicks(), 4u);
    EXPECT_EQ(rig.timed.pending(), 0u);
    EXPECT_EQ(rig.timed.applied(), 4u);
    EXPECT_EQ(rig.planes[0].at(0, 0), 0); // the delay's fourth tick
    EXPECT_EQ(rig.cursorImages, (std::vector<uint16_t>{131, 132}));
    rig.timed.recordTick();
    EXPECT_EQ(rig.timed.applyPendingTicks(), 1u);
    EXPECT_EQ(rig.planes[0].at(0, 0), 40);
    rig.timed.recordTick();
    rig.timed.applyPendingTicks();
    EXPECT_EQ(rig.state(), 0);
    // Each tick the particles presented the picture once, the fill once.
    EXPECT_EQ(rig.host.presents.size(), 6u + 1u);
}

TEST(TimedAnimations, ATickThatReachesTheSyncPointAgainDoesNotApplyTwice) {
    TimedRig rig;
    rig.particles.execute(ParticleEffects::kStartA);
    uint32_t nested = 0;
    int more = 3;
    // Ticks counted while one is applied wait for the next call.
    rig.host.onPresent = [&] {
        if (more-- > 0) rig.timed.recordTick();
        nested += rig.timed.applyPendingTicks();
    };
    rig.timed.recordTick();
    rig.timed.recordTick();
    EXPECT_EQ(rig.timed.applyPendingTicks(), 2u);
    EXPECT_EQ(rig.timed.pending(), 2u);
    EXPECT_EQ(rig.timed.applyPendingTicks(), 2u);
    EXPECT_EQ(rig.timed.pending(), 1u);
    EXPECT_EQ(rig.timed.applyPendingTicks(), 1u);
    EXPECT_EQ(rig.timed.pending(), 0u);
    EXPECT_EQ(nested, 0u);
    EXPECT_EQ(rig.timed.applied(), 5u);
}

} // namespace
} // namespace fer::test

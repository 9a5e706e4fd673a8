// The animation channels: their codes, step records, the animation command
// and the bounds every read and rectangle keeps to.

#include <gtest/gtest.h>

#include "AnimationTestSupport.h"

namespace fer::test {
namespace {

constexpr uint8_t kX = 9; // a step code whose record fills a small square of plane 0

// Fills (8n, 0, 4, 4) of plane 0 with colour 50 + n when drawn.
void fillRecord(AnimationRig& rig, uint8_t code, uint16_t n = 0) {
    rig.record(code, AnimationChannels::kFill, {uint16_t(8 * n), 0, 4, 4, uint16_t(50 + n)});
}

int fillsSince(const AnimationRig& rig, size_t& seen) {
    int n = 0;
    for (; seen < rig.host.presents.size(); ++seen) ++n;
    return n;
}

TEST(AnimationChannels, DelayWaitsTenTicksAfterTheFirstStepAndStopsOnTheTwelfth) {
    AnimationRig rig;
    rig.program(0, 64, {AnimationChannels::kDelay, 10, AnimationChannels::kStop});
    rig.start(0);
    for (int tick = 1; tick <= 11; ++tick) {
        rig.channels.tick();
        ASSERT_NE(rig.state(), 0) << "stopped on tick " << tick;
    }
    EXPECT_EQ(rig.channels.channel(0).delay, 0);
    rig.channels.tick();
    EXPECT_EQ(rig.state(), 0);
}

TEST(AnimationChannels, LoopDrawsOnTheSecondFourthAndSixthTickAndStopsOnTheEighth) {
    AnimationRig rig;
    fillRecord(rig, kX);
    rig.program(0, 64, {AnimationChannels::kLoop1, 3, kX, AnimationChannels::kRepeat1,
                        AnimationChannels::kStop});
    rig.start(0);
    size_t seen = 0;
    std::vector<int> drawnOn;
    for (int tick = 1; tick <= 8; ++tick) {
        ASSERT_NE(rig.state(), 0);
        rig.planes[0].set(0, 0, 0);
        rig.channels.tick();
        if (fillsSince(rig, seen) > 0) {
            EXPECT_EQ(rig.planes[0].at(0, 0), 50);
            drawnOn.push_back(tick);
        }
    }
    EXPECT_EQ(drawnOn, (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(rig.state(), 0);
}

TEST(AnimationChannels, NestedLoopsMultiplyAndRestartGoesBackToTheStart) {
    AnimationRig rig;
    fillRecord(rig, kX);
    rig.program(0, 64, {AnimationChannels::kLoop2, 2, AnimationChannels::kLoop1, 3, kX,
                        AnimationChannels::kRepeat1, AnimationChannels::kRepeat2,
                        AnimationChannels::kEnd});
    rig.start(0, 1);
    for (int i = 0; i < 100 && rig.state() != 0; ++i) rig.channels.tick();
    EXPECT_EQ(rig.state(), 0);
    EXPECT_EQ(rig.host.presents.size(), 6u);

    // 3 goes back to the program's start: it runs until stopped from outside.
    rig.program(1, 96, {kX, AnimationChannels::kRestart});
    rig.start(1, 1);
    for (int i = 0; i < 10; ++i) rig.channels.tick();
    EXPECT_EQ(rig.state(1), AnimationChannel::kIgnoringStopMarks);
    EXPECT_EQ(rig.host.presents.size(), 6u + 5u);
    rig.command(3, 1);
    EXPECT_EQ(rig.state(1), 0);
}

TEST(AnimationChannels, StopMarksStopOnlyChannelsStartedToStopThere) {
    AnimationRig rig;
    fillRecord(rig, kX);
    rig.program(0, 64, {AnimationChannels::kStopMark, kX, AnimationChannels::kStop});
    rig.program(1, 64, {}); // the same program on channel 1
    rig.start(0, 1);        // 255: runs through the mark
    rig.start(1, 2);        // 1: stops there
    rig.channels.tick();
    EXPECT_EQ(rig.state(0), AnimationChannel::kIgnoringStopMarks);
    EXPECT_EQ(rig.state(1), 0);
    rig.channels.tick();
    EXPECT_EQ(rig.host.presents.size(), 1u); // channel 0 drew X
    rig.channels.tick();
    EXPECT_EQ(rig.state(0), 0);

    // Operation 5 turns every running channel into one that stops at a mark;
    // 6 stops them all.
    rig.start(0, 1);
    rig.start(1, 1);
    rig.command(5);
    EXPECT_EQ(rig.state(0), AnimationChannel::kUntilStopMark);
    EXPECT_EQ(rig.state(2), 0);
    rig.command(6);
    EXPECT_EQ(rig.state(0), 0);
    EXPECT_EQ(rig.state(1), 0);
}

TEST(AnimationChannels, WaitingReturnsOnlyAfterTheChannelStopped) {
    AnimationRig rig;
    fillRecord(rig, kX);
    rig.program(3, 64, {kX, AnimationChannels::kDelay, 4, kX, AnimationChannels::kStopMark,
                        kX, AnimationChannels::kEnd});
    rig.command(0, 3);
    int pumps = 0;
    // The engine applies the ticks in its pump.
    rig.host.onPump = [&] {
        ++pumps;
        EXPECT_EQ(rig.state(3), AnimationChannel::kAwaited);
        rig.channels.tick();
        return 1;
    };
    rig.command(4, 3);
    EXPECT_EQ(rig.state(3), 0);
    EXPECT_EQ(pumps, 10); // the stop mark does not stop a waited-for channel
    EXPECT_EQ(rig.host.presents.size(), 3u);

    // A closing window ends the wait with the channel still running.
    rig.command(0, 3);
    rig.host.onPump = [] { return 0; };
    rig.command(4, 3);
    EXPECT_EQ(rig.state(3), AnimationChannel::kAwaited);
}

TEST(AnimationChannels, WithTheAnimateBitClearNoChannelAdvancesAndStatesStay) {
    AnimationRig rig;
    fillRecord(rig, kX);
    rig.program(0, 64, {kX, kX, AnimationChannels::kStop});
    rig.program(1, 64, {});
    rig.start(0, 1);
    rig.start(1, 2);
    rig.channels.tick();
    rig.memory().setControlWord(control::kInitial & ~control::kAnimate);
    for (int i = 0; i < 20; ++i) rig.channels.tick();
    EXPECT_EQ(rig.state(0), AnimationChannel::kIgnoringStopMarks);
    EXPECT_EQ(rig.state(1), AnimationChannel::kUntilStopMark);
    EXPECT_EQ(rig.channels.channel(0).pc, 1u);
    EXPECT_EQ(rig.host.presents.size(), 2u);
    rig.memory().setControlWord(control::kInitial);
    rig.channels.tick();
    rig.channels.tick();
    EXPECT_EQ(rig.state(0), 0);
    EXPECT_EQ(rig.state(1), 0);
}

TEST(AnimationChannels, ReloadRunsTheFirstStepOfStartedChannelsAtOnce) {
    AnimationRig rig;
    fillRecord(rig, kX, 0);
    fillRecord(rig, kX + 1, 1);
    rig.program(0, 64, {kX, kX + 1, kX + 1, AnimationChannels::kEnd});
    rig.program(1, 64, {});
    rig.program(2, 64, {});
    rig.start(0, 1);
    rig.start(1, 1);
    rig.command(0, 2); // loaded, not started
    rig.channels.tick();
    rig.channels.tick();
    rig.channels.tick();
    rig.command(3, 1); // stopped: left as it is
    rig.planes[0].set(0, 0, 0);
    rig.memory().setControlWord(0); // whatever the animate bit says
    const size_t before = rig.host.presents.size();
    rig.command(7);
    EXPECT_EQ(rig.planes[0].at(0, 0), 50);
    EXPECT_EQ(rig.host.presents.size(), before + 1);
    EXPECT_EQ(rig.channels.channel(0).pc, 0u);
    EXPECT_EQ(rig.state(0), AnimationChannel::kIgnoringStopMarks);
    EXPECT_EQ(rig.channels.channel(1).pc, 3u);
    EXPECT_EQ(rig.channels.channel(2).pc, 0u);
    // A channel at its start is not stepped.
    rig.command(7);
    EXPECT_EQ(rig.host.presents.size(), before + 1);
}

TEST(AnimationChannels, CopyRecordsGoOnAsTransparentCopyAndCompose) {
    AnimationRig rig;
    // Source (0, 0) of plane 0: 2x2 of 7 with one key pixel (8).
    rig.planes[0].set(0, 0, 7);
    rig.planes[0].set(1, 0, 8);
    rig.planes[0].set(0, 1, 7);
    rig.planes[0].set(1, 1, 7);
    rig.memory().setReg16(reg16::kColourKey, 8);
    fillPlane(rig.planes[1], 3);
    // Copy to (100, 0) of plane 1, compose output at (200, 0) of plane 0.
    rig.record(kX, AnimationChannels::kCopy | 0x01, {0, 0, 2, 2, 100, 0, 200, 0});
    rig.program(0, 64, {kX, AnimationChannels::kEnd});
    rig.start(0);
    rig.channels.tick();
    // The copy and the transparent copy went into plane 1 (no present); the
    // compose drew over the copy into plane 0 and presented it.
    EXPECT_EQ(rig.planes[1].at(100, 0), 7);
    EXPECT_EQ(rig.planes[1].at(101, 0), 8);
    EXPECT_EQ(rig.planes[0].at(200, 0), 7);
    EXPECT_EQ(rig.planes[0].at(201, 0), 8);
    ASSERT_EQ(rig.host.presents.size(), 1u);
    EXPECT_EQ(rig.host.presents[0], (FakeGraphicsHost::Present{200, 0, 2, 2}));

    // Into plane 0: copy, transparent copy and compose each present.
    rig.record(kX + 1, AnimationChannels::kCopy, {0, 0, 2, 2, 300, 10, 400, 10});
    rig.record(kX + 2, AnimationChannels::kTransparentCopy, {0, 0, 2, 2, 300, 20, 400, 20});
    rig.program(1, 96, {kX + 1, kX + 2, AnimationChannels::kEnd});
    rig.host.presents.clear();
    rig.start(1);
    rig.channels.tick();
    EXPECT_EQ(rig.host.presents.size(), 3u);
    rig.channels.tick();
    EXPECT_EQ(rig.host.presents.size(), 5u);
    EXPECT_EQ(rig.planes[0].at(400, 20), 7);
    EXPECT_EQ(rig.planes[0].at(401, 20), 0); // key over the background (plane 0 at 300, 20)
}

TEST(AnimationChannels, ExchangeComposeAndFillChooseTheirPlanesByTheBits) {
    AnimationRig rig;
    fillPlane(rig.planes[0], 1);
    fillPlane(rig.planes[1], 2);
    rig.record(kX, AnimationChannels::kExchange | 0x02, {10, 10, 4, 4, 20, 20}); // plane 1 <-> 0
    rig.record(kX + 1, AnimationChannels::kFill | 0x02, {0, 100, 4, 4, 9});      // plane 1
    rig.record(kX + 2, AnimationChannels::kFill, {0, 100, 4, 4, 9});             // plane 0
    rig.record(kX + 3, AnimationChannels::kCompose | 0x07, {30, 30, 2, 2, 40, 40, 50, 50});
    rig.program(0, 64, {kX, kX + 1, kX + 2, kX + 3, AnimationChannels::kEnd});
    rig.start(0);
    rig.channels.tick();
    EXPECT_EQ(rig.planes[0].at(20, 20), 2);
    EXPECT_EQ(rig.planes[1].at(10, 10), 1);
    ASSERT_EQ(rig.host.presents.size(), 1u); // an exchange always presents
    EXPECT_EQ(rig.host.presents[0], (FakeGraphicsHost::Present{20, 20, 4, 4}));
    rig.channels.tick();
    EXPECT_EQ(rig.planes[1].at(3, 103), 9);
    EXPECT_EQ(rig.planes[0].at(3, 103), 1);
    EXPECT_EQ(rig.host.presents.size(), 1u);
    rig.channels.tick();
    EXPECT_EQ(rig.planes[0].at(3, 103), 9);
    EXPECT_EQ(rig.host.presents.size(), 2u);
    rig.channels.tick(); // compose entirely in plane 1: no present
    EXPECT_EQ(rig.planes[1].at(50, 50), 2);
    EXPECT_EQ(rig.host.presents.size(), 2u);
}

TEST(AnimationChannels, PaletteCodeSetsTheTargetFromBlueRedGreenTriplesAtOnce) {
    AnimationRig rig;
    const uint32_t record = AnimationRig::kBase + AnimationChannels::kProgramBase + 0x400;
    for (uint32_t i = 0; i < 236; ++i) {
        rig.memory().setByte(record + 3 * i, uint8_t(i));            // blue
        rig.memory().setByte(record + 3 * i + 1, uint8_t(255 - i));  // red
        rig.memory().setByte(record + 3 * i + 2, uint8_t(i ^ 0x55)); // green
    }
    rig.program(0, 64, {AnimationChannels::kPalette, 0x00, 0x04, AnimationChannels::kEnd});
    rig.start(0);
    rig.channels.tick();
    const Palette now = rig.palette.current();
    EXPECT_EQ(now[10], (PaletteEntry{245, 10 ^ 0x55, 10, 0}));
    EXPECT_EQ(now[235], (PaletteEntry{20, 235 ^ 0x55, 235, 0}));
    EXPECT_EQ(now[236], (PaletteEntry{}));
    EXPECT_EQ(rig.host.screen[10].red, 245);
    EXPECT_EQ(rig.channels.channel(0).pc, 3u);
    rig.channels.tick();
    EXPECT_EQ(rig.state(), 0);
}

TEST(AnimationChannels, DataAtTheEndOfMemoryAndHugeRectanglesStayInside) {
    AnimationRig rig;
    // A record whose rectangles reach far past every plane.
    rig.record(kX, AnimationChannels::kCopy, {600, 390, 0xFFFF, 0xFFFF, 630, 395, 639, 399});
    rig.record(kX + 1, AnimationChannels::kFill | 0x02, {0xFFF0, 0xFFF0, 0xFFFF, 0xFFFF, 1});
    rig.record(kX + 2, AnimationChannels::kExchange, {639, 399, 0xFFFF, 0xFFFF, 0, 0});
    rig.program(0, 64, {kX, kX + 1, kX + 2, AnimationChannels::kPalette, 0xFF, 0xFF,
                        AnimationChannels::kEnd});
    rig.start(0);
    for (int i = 0; i < 5; ++i) rig.channels.tick();
    EXPECT_EQ(rig.state(), 0);

    // Register 27 near the end: the table, programs and records read 0.
    rig.memory().setReg32(reg32::kAnimationData, 0xFFFFFFF0u);
    rig.start(0, 1);
    for (int i = 0; i < 5; ++i) rig.channels.tick(); // code 0 everywhere: nothing
    EXPECT_EQ(rig.state(), AnimationChannel::kIgnoringStopMarks);
    rig.memory().setReg32(reg32::kAnimationData, ScriptMemory::kSize - 4096 - 2);
    rig.start(0, 1);
    rig.channels.step(0);
    rig.channels.step(0);

    // Channels outside 0..9 are no channel.
    rig.command(0, 10);
    rig.command(1, 0xFFFFFFFF);
    rig.command(4, 10);
    rig.channels.step(10);
    EXPECT_EQ(rig.host.pumps, 0u);
}

} // namespace
} // namespace fer::test

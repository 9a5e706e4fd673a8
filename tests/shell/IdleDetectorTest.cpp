#include <gtest/gtest.h>

#include "shell/IdleDetector.h"

namespace fer {
namespace {

constexpr uint32_t kRun = IdleDetector::kQuietPassesBeforeCheck;

// Passes a script makes, each after `step` changed its memory (or not);
// returns the pass at which the detector first said the script waits, or -1.
template <typename Step>
int firstWaitingPass(IdleDetector& idle, ScriptMemory& memory, int passes, Step step,
                     IdleDetector::Seen seen = {}) {
    for (int pass = 0; pass < passes; ++pass) {
        step(pass);
        if (idle.waiting(false, seen, memory)) return pass;
    }
    return -1;
}

TEST(IdleDetector, ALoopThatChangesNothingWaitsAfterTwoChecks) {
    IdleDetector idle;
    ScriptMemory memory;
    memory.setReg16(8, 1); // differs from the detector's first copy
    memory.setByte(0x20000, 7);
    const int at = firstWaitingPass(idle, memory, 10 * kRun, [](int) {});
    // The first check finds the registers new, the second the rest, the third nothing.
    EXPECT_EQ(at, static_cast<int>(3 * kRun) - 1);
    // It goes on waiting, pass after pass, without comparing again.
    const uint64_t checks = idle.checks();
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(idle.waiting(false, {}, memory));
    EXPECT_EQ(idle.checks(), checks);
}

TEST(IdleDetector, AScriptThatComputesNeverWaits) {
    IdleDetector idle;
    ScriptMemory memory;
    // A register counter, as the interpreter's loops keep.
    EXPECT_EQ(firstWaitingPass(idle, memory, 20 * kRun,
                               [&](int pass) { memory.setReg16(1, uint16_t(pass)); }),
              -1);
    // A counter far up in memory (an array), registers untouched.
    EXPECT_EQ(firstWaitingPass(idle, memory, 20 * kRun,
                               [&](int pass) { memory.setDword(0x80000, uint32_t(pass)); }),
              -1);
    // The last word of memory.
    EXPECT_EQ(firstWaitingPass(idle, memory, 20 * kRun,
                               [&](int pass) {
                                   memory.setWord(ScriptMemory::kSize - 2, uint16_t(pass));
                               }),
              -1);
}

TEST(IdleDetector, WhatTheScriptSeesChangingEndsTheWait) {
    ScriptMemory memory;
    IdleDetector::Seen seen;
    const auto changes = std::initializer_list<void (*)(IdleDetector::Seen&)>{
        [](IdleDetector::Seen& s) { ++s.presents; },
        [](IdleDetector::Seen& s) { s.keys ^= 0x2000; }, [](IdleDetector::Seen& s) { ++s.mouseX; },
        [](IdleDetector::Seen& s) { ++s.mouseY; },     [](IdleDetector::Seen& s) { s.shift = !s.shift; },
        [](IdleDetector::Seen& s) { s.windowState ^= 1; }};
    for (auto change : changes) {
        IdleDetector idle;
        ASSERT_NE(firstWaitingPass(idle, memory, 10 * kRun, [](int) {}, seen), -1);
        change(seen);
        EXPECT_FALSE(idle.waiting(false, seen, memory));
        // The script gets a run of passes to answer before the next check.
        EXPECT_EQ(firstWaitingPass(idle, memory, 10 * kRun, [](int) {}, seen),
                  static_cast<int>(kRun) - 1);
    }
    // An event that changes nothing the script sees ends it too.
    IdleDetector idle;
    ASSERT_NE(firstWaitingPass(idle, memory, 10 * kRun, [](int) {}, seen), -1);
    EXPECT_FALSE(idle.waiting(true, seen, memory));
}

constexpr uint32_t kAfterTick = IdleDetector::kQuietPassesAfterTick;

TEST(IdleDetector, AWaitThatAnswersATickWithAWriteIsNoLongerWaiting) {
    IdleDetector idle;
    ScriptMemory memory;
    IdleDetector::Seen seen;
    ASSERT_NE(firstWaitingPass(idle, memory, 10 * kRun, [](int) {}, seen), -1);
    ++seen.ticks; // the script sees the tick and counts it
    memory.setReg16(3, 1);
    EXPECT_FALSE(idle.waiting(false, seen, memory));
    // The look after the tick finds the write: a whole run of quiet passes
    // follows before the script waits again.
    EXPECT_EQ(firstWaitingPass(idle, memory, 10 * kRun, [](int) {}, seen),
              static_cast<int>(kAfterTick + kRun) - 1);
}

// A loop over the ticks (no event, nothing else changing) is found waiting
// although the ticks go by, and stays cheap: the pass that brings a tick
// never waits, so a wait for a number of ticks ends on time; after a few
// passes the registers are compared and it waits again. The whole memory is
// compared after every few ticks, so a script that starts computing after a
// wait is found out.
TEST(IdleDetector, TicksNeitherPreventNorEndTheWait) {
    IdleDetector idle;
    ScriptMemory memory;
    IdleDetector::Seen seen;
    // Found waiting while a tick comes every 10 passes.
    int pass = 0;
    for (; pass < 10 * static_cast<int>(kRun); ++pass) {
        if (pass % 10 == 9) ++seen.ticks;
        if (idle.waiting(false, seen, memory)) break;
    }
    ASSERT_LT(pass, 10 * static_cast<int>(kRun));

    const uint64_t checks = idle.checks();
    const uint32_t ticks = 3 * IdleDetector::kTicksPerWholeCheck;
    for (uint32_t tick = 0; tick < ticks; ++tick) {
        ++seen.ticks;
        EXPECT_FALSE(idle.waiting(false, seen, memory)) << tick;
        EXPECT_EQ(firstWaitingPass(idle, memory, 2 * kAfterTick, [](int) {}, seen),
                  static_cast<int>(kAfterTick) - 1);
        for (int p = 0; p < 5; ++p) EXPECT_TRUE(idle.waiting(false, seen, memory));
    }
    EXPECT_EQ(idle.checks() - checks, ticks);
    // The tick count set back to zero (a wait starting) is a tick too.
    seen.ticks = 0;
    EXPECT_FALSE(idle.waiting(false, seen, memory));
    EXPECT_NE(firstWaitingPass(idle, memory, 2 * kAfterTick, [](int) {}, seen), -1);

    // A write to the registers is found at the look after the next tick.
    memory.setReg16(5, 9);
    EXPECT_TRUE(idle.waiting(false, seen, memory)); // no tick: not looked at
    ++seen.ticks;
    EXPECT_EQ(firstWaitingPass(idle, memory, kRun, [](int) {}, seen), -1);

    // A write far up in memory is found within the ticks of a whole check.
    ASSERT_NE(firstWaitingPass(idle, memory, 10 * kRun, [](int) {}, seen), -1);
    memory.setDword(0x80000, 0x12345678);
    uint32_t ticksToNotice = 0;
    bool stillWaiting = true;
    while (stillWaiting && ticksToNotice <= IdleDetector::kTicksPerWholeCheck) {
        ++seen.ticks;
        ++ticksToNotice;
        stillWaiting = firstWaitingPass(idle, memory, 2 * kAfterTick, [](int) {}, seen) != -1;
    }
    EXPECT_FALSE(stillWaiting);
    EXPECT_LE(ticksToNotice, IdleDetector::kTicksPerWholeCheck);
}

} // namespace
} // namespace fer

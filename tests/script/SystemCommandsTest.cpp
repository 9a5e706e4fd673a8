#include <gtest/gtest.h>

#include "ScriptRig.h"
#include "script/ScriptMessages.h"

namespace fer::test {
namespace {

TEST(SystemCommands, TextColourGoesToTheTextOwner) {
    ScriptRig rig;
    rig.run(cat({sys(12, argNum(0x12)), {0}}));
    ASSERT_EQ(rig.host.systemCalls.size(), 1u);
    EXPECT_EQ(rig.host.systemCalls[0].first, 12u);
    EXPECT_EQ(rig.host.systemCalls[0].second, (std::vector<uint32_t>{0x12}));
}

TEST(SystemCommands, OtherCommandsGoToTheirOwnersAndHighNumbersDoNothing) {
    ScriptRig rig;
    rig.run(cat(
        {sys(8, argText("BG.BMP")), sys(10, cat({argNum(0), argNum(5)})), sys(21), sys(400), {0}}));
    ASSERT_EQ(rig.host.systemCalls.size(), 2u);
    EXPECT_EQ(rig.host.systemCalls[0].first, 8u);
    EXPECT_EQ(rig.host.systemCalls[1].second, (std::vector<uint32_t>{0, 5}));
    EXPECT_TRUE(rig.host.fatals.empty());
}

void putHitEntry(ScriptMemory& m, uint32_t at, int16_t id, uint16_t x1, uint16_t y1, uint16_t x2,
                 uint16_t y2) {
    m.setWord(at, static_cast<uint16_t>(id));
    m.setWord(at + 2, x1);
    m.setWord(at + 4, y1);
    m.setWord(at + 6, x2);
    m.setWord(at + 8, y2);
}

TEST(SystemCommands, HitTest) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setReg32(31, 0x7000);
    putHitEntry(m, 0x8000, 4, 10, 10, 20, 20);
    putHitEntry(m, 0x800A, 5, 0, 0, 639, 399);
    putHitEntry(m, 0x8014, -1, 0, 0, 0, 0);
    rig.interpreter.run(); // nothing loaded: an end byte
    SystemCommands commands(rig.interpreter);
    commands.hitTest(15, 20);
    EXPECT_EQ(m.reg16(18), 4);
    commands.hitTest(21, 5);
    EXPECT_EQ(m.reg16(18), 5);
    commands.hitTest(0x10000 + 15, 0x10000 + 15); // the low 16 bits count
    EXPECT_EQ(m.reg16(18), 4);
    putHitEntry(m, 0x8000, -1, 0, 0, 639, 399);
    commands.hitTest(15, 15);
    EXPECT_EQ(m.reg16(18), 65535);
    // A table without its end entry stops at the end of the memory.
    m.setReg32(31, ScriptMemory::kSize - 0x1000 - 25);
    std::fill(m.data() + ScriptMemory::kSize - 25, m.data() + ScriptMemory::kSize, 0x01);
    commands.hitTest(0, 0);
    EXPECT_EQ(m.reg16(18), 65535);
    // The last whole entry of the memory is looked at; a part of one is not.
    putHitEntry(m, ScriptMemory::kSize - 15, 7, 0, 0, 5, 5);
    commands.hitTest(3, 3);
    EXPECT_EQ(m.reg16(18), 7);
    commands.hitTest(6, 3);
    EXPECT_EQ(m.reg16(18), 65535);
    for (uint32_t table : {ScriptMemory::kSize - 0x1000 - 9, ScriptMemory::kSize, 0xFFFFFFF0u}) {
        m.setReg32(31, table);
        commands.hitTest(3, 3);
        EXPECT_EQ(m.reg16(18), 65535) << table;
    }
}

TEST(SystemCommands, ChoiceKeyOfASlotAndTheClock) {
    ScriptRig rig;
    ScriptMachine& mc = rig.machine;
    mc.choiceKeySlots.fill(0xFF);
    mc.choiceKeySlots[7] = 2;
    mc.choiceKeySlots[3] = 2;
    SystemCommands commands(rig.interpreter);
    commands.choiceKey(2);
    EXPECT_EQ(mc.memory.reg16(53), 3);
    commands.choiceKey(0x102); // the low byte counts
    EXPECT_EQ(mc.memory.reg16(53), 3);
    commands.choiceKey(9);
    EXPECT_EQ(mc.memory.reg16(53), 50);
    commands.clock();
    EXPECT_EQ(mc.memory.reg16(0), 2026);
    EXPECT_EQ(mc.memory.reg16(2), 1); // day of week
    EXPECT_EQ(mc.memory.reg16(6), 45);
}

TEST(SystemCommands, TimedWaitCountsTicksAndShiftCutsItShort) {
    ScriptRig rig;
    rig.run(cat({sys(11, argNum(40)), {0}})); // 40 / 4 = 10 ticks
    EXPECT_EQ(rig.host.tick, 11u);            // ten in the wait, one at the next pass
    ScriptRig held;
    held.host.shift = true;
    held.run(cat({sys(11, argNum(4000)), {0}}));
    EXPECT_LT(held.host.pumps, 5u);
}

TEST(SystemCommands, RestartStateEndsAWaitAndIsResetAtTheNextPass) {
    ScriptRig rig;
    rig.host.onPump = [&](uint64_t n) {
        if (n == 5) rig.host.state = 3;
    };
    rig.run(cat({sys(11, argNum(40000)), setReg16(100, 1), {0}}));
    EXPECT_EQ(rig.host.state, 0);
    EXPECT_EQ(rig.machine.memory.reg16(100), 1);
    EXPECT_LT(rig.host.pumps, 20u);
}

TEST(SystemCommands, WaitForClickAndSkip) {
    ScriptRig rig;
    rig.host.onPump = [&](uint64_t n) { rig.host.keys = (n >= 10 && n < 15) ? 1 : 0; };
    rig.run(cat({sys(11), setReg16(100, 1), {0}}));
    EXPECT_GE(rig.host.pumps, 15u);
    EXPECT_EQ(rig.host.stops, (std::vector<int>{2}));
    EXPECT_EQ(rig.machine.memory.reg16(100), 1);

    ScriptRig skip;
    skip.host.keys = 1 << 7;
    skip.run(cat({sys(11), {0}}));
    EXPECT_EQ(skip.host.stops, (std::vector<int>{2}));

    ScriptRig click;
    click.host.onPump = [&](uint64_t n) { click.host.keys = (n >= 4 && n < 8) ? 2 : 0; };
    click.run(cat({sys(20), setReg16(100, 1), {0}}));
    EXPECT_GE(click.host.pumps, 8u);
    EXPECT_EQ(click.machine.memory.reg16(100), 1);
}

TEST(MessageLog, BeginNeedsLoggingEnabled) {
    ScriptRig rig;
    rig.run(cat({sys(18, cat({argNum(0), argNum(0x9000)})), sys(18, argNum(1)), {0}}));
    EXPECT_FALSE(rig.machine.memory.controlWord() & control::kMessageOpen);
    EXPECT_EQ(rig.machine.record(0).used, 0u);
}

// A message: text opcode (which opens a record), then the end operation.
Bytes message(uint8_t c) {
    return cat({{0x01, 0xB0, c, 0x00}, sys(18, argNum(2))});
}

TEST(MessageLog, RecordsMessagesAndReplaysThem) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setControlBits(control::kLoggingEnabled);
    rig.run(cat({sys(18, cat({argNum(0), argNum(0x9000)})),
                 message(0xA1),
                 message(0xA2),
                 sys(18, argNum(3)),
                 sys(18, cat({argNum(4), argNum(1)})),
                 {0}}));
    EXPECT_EQ(m.reg16(18), 1); // two messages
    const LogRecord r0 = rig.machine.record(0);
    const LogRecord r1 = rig.machine.record(1);
    EXPECT_EQ(r0.used, 1u);
    EXPECT_EQ(r0.start, 0x9000u);
    EXPECT_EQ(m.reg32(18), r1.start);
    // The record holds the text instruction, the end command and an end byte.
    const Bytes expected = cat({{0x01, 0xB0, 0xA1, 0x00}, sys(18, argNum(2)), {0x00}});
    ASSERT_EQ(r0.length, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), m.data() + r0.start));
    EXPECT_FALSE(m.controlWord() & (control::kMessageOpen | control::kRecording));
    // Running a record again with command 13 draws its text again.
    rig.host.drawn.clear();
    rig.run(cat({sys(13, argNum(r1.start)), {0}}));
    ASSERT_EQ(rig.host.drawn.size(), 1u);
    EXPECT_EQ(rig.host.drawn[0].code, 0xB0A2);
    EXPECT_TRUE(rig.host.fatals.empty());
}

TEST(MessageLog, The33rdMessageDropsTheOldest) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setControlBits(control::kLoggingEnabled);
    Bytes code = sys(18, cat({argNum(0), argNum(0x9000)}));
    for (int i = 0; i < 33; ++i) code = cat({code, message(uint8_t(0xA1 + i))});
    rig.run(cat({code, sys(18, argNum(3)), {0}}));
    EXPECT_EQ(m.reg16(18), 31);
    const uint32_t length = rig.machine.record(0).length;
    for (uint32_t r = 0; r < 32; ++r) {
        const LogRecord rec = rig.machine.record(r);
        EXPECT_EQ(rec.used, 1u);
        EXPECT_EQ(rec.start, 0x9000 + r * length) << r;
        EXPECT_EQ(m.byte(rec.start + 2), 0xA2 + r) << r; // message r + 1 moved down
    }
    EXPECT_EQ(rig.machine.writePos(), 0x9000 + 32 * length);
}

TEST(MessageLog, CompactionOfAnOversizedRecordIsFatal) {
    ScriptRig rig;
    for (uint32_t r = 0; r < 32; ++r) rig.machine.setRecord(r, {1, 0x9000 + r * 8, 8});
    rig.machine.setRecord(5, {1, 0x9000, 1024});
    rig.interpreter.messageLog().compact();
    ASSERT_EQ(rig.host.fatals.size(), 1u);
    EXPECT_EQ(rig.host.fatals[0].first, script_text::kLogOverflowTitle);
}

TEST(MessageLog, StartOfARecordPastTheLastReadsZero) {
    ScriptRig rig;
    rig.machine.memory.setReg32(18, 77);
    rig.interpreter.messageLog().start(1000);
    EXPECT_EQ(rig.machine.memory.reg32(18), 0u);
    rig.interpreter.messageLog().count();
    EXPECT_EQ(rig.machine.memory.reg16(18), 65535); // no message: -1
}

} // namespace
} // namespace fer::test

#include <gtest/gtest.h>

#include "ScriptRig.h"

namespace fer::test {
namespace {

Bytes saveOp(uint32_t op, uint32_t slot) {
    return sys(4, cat({argNum(op), argNum(slot)}));
}

TEST(SaveGame, FileNamesOfBothBuilds) {
    ScriptRig gb;
    EXPECT_EQ(gb.interpreter.saveGame().fileName(3), "SAVE03");
    EXPECT_EQ(gb.interpreter.saveGame().fileName(100), "SAVE100");
    ScriptRig sjis(kShiftJisVariant);
    EXPECT_EQ(sjis.interpreter.saveGame().fileName(7), "FLAG07");
}

TEST(SaveGame, SaveThenLoadRestoresEverythingButTheRewrittenRegisters) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setScriptName("MAIN.MES");
    for (uint32_t n = 0; n < 2048; ++n) m.setFlag(n, static_cast<uint8_t>(n * 7));
    for (uint8_t r = 0; r < 54; ++r) m.setReg16(r, static_cast<uint16_t>(1000 + r));
    for (int r = 0; r < 256; ++r) m.setReg32(static_cast<uint8_t>(r), 0x10000u * r + 5);
    const Bytes saved(m.data(), m.data() + 4096);
    rig.host.scripts["MAIN.MES"] = cat({setReg16(100, 1), {0}});
    rig.run(cat({saveOp(1, 2), {0}}));
    ASSERT_EQ(rig.host.files.count("SAVE02"), 1u);
    EXPECT_EQ(rig.host.files["SAVE02"], saved);

    // Everything changes, then the game is loaded back and restarts.
    std::fill(m.data() + 0x80, m.data() + 4096, 0x5A);
    m.setControlWord(0);
    rig.run(cat({saveOp(0, 2), setReg16(101, 1), {0}}));
    EXPECT_TRUE(rig.host.fatals.empty());
    EXPECT_EQ(m.reg16(100), 1); // the loaded script ran from its start
    // The instruction after the load did not run: register 101 holds what was saved.
    EXPECT_EQ(m.reg16(101), saved[0x884 + 202] | saved[0x884 + 203] << 8);
    for (uint32_t n = 0; n < 2048; ++n) ASSERT_EQ(m.flag(n), static_cast<uint8_t>(n * 7)) << n;
    for (uint8_t r = 0; r < 54; ++r) {
        if (r == 26 || r == 29 || r >= 54) continue;
        EXPECT_EQ(m.reg16(r), 1000 + r) << int(r);
    }
    EXPECT_EQ(m.reg16(26), 2832);
    EXPECT_EQ(m.reg32(32), 0x1000u);
    EXPECT_EQ(m.reg32(33), ScriptMachine::blockReference(0));
    EXPECT_EQ(m.reg32(31), 0x10000u * 31 + 5);
    EXPECT_EQ(rig.host.fileNames[0], "MAIN.MES");
    EXPECT_EQ(rig.machine.depth, 0);
}

TEST(SaveGame, LoadVariablesKeepsTheRunningScript) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    Bytes file(4096, 0);
    std::string other = "OTHER.MES";
    std::copy(other.begin(), other.end(), file.begin());
    file[0x80 + 9] = 4;
    rig.host.files["SAVE05"] = file;
    m.setScriptName("HERE.MES");
    rig.run(cat({saveOp(2, 5), setReg16(100, 1), {0}}));
    EXPECT_EQ(m.scriptName(), "HERE.MES");
    EXPECT_EQ(m.flag(9), 4);
    EXPECT_EQ(m.reg16(100), 1); // went on with the next instruction
    EXPECT_EQ(m.reg16(26), 2832);
    EXPECT_TRUE(rig.host.loads.empty());
}

TEST(SaveGame, MergeFlagsByOr) {
    ScriptRig rig;
    Bytes file(4096, 0);
    file[0x80 + 7] = 1;
    file[100] = 0x77; // bytes outside the flags stay
    rig.host.files["SAVE09"] = file;
    rig.machine.memory.setFlag(7, 2);
    rig.machine.memory.setFlag(8, 1);
    rig.run(cat({saveOp(3, 9), {0}}));
    EXPECT_EQ(rig.host.files["SAVE09"][0x80 + 7], 3);
    EXPECT_EQ(rig.host.files["SAVE09"][0x80 + 8], 1);
    EXPECT_EQ(rig.host.files["SAVE09"][100], 0x77);
}

TEST(SaveGame, LongAndMissingFiles) {
    ScriptRig rig;
    Bytes longFile(10000, 0x11);
    longFile[0x8BE] = 0x27; // a control word without a pending change
    longFile[0x8BF] = 0x00;
    rig.host.files["SAVE01"] = longFile;
    rig.machine.memory.setScriptName("A.MES");
    rig.run(cat({saveOp(2, 1), {0}}));
    EXPECT_EQ(rig.machine.memory.byte(4095), 0x11);
    EXPECT_EQ(rig.machine.memory.byte(4096), 0x0B); // the code is untouched
    ScriptRig missing;
    missing.run(cat({saveOp(0, 4), {0}}));
    ASSERT_EQ(missing.host.fatals.size(), 1u);
    EXPECT_EQ(missing.host.fatals[0].second, "SAVE04");
}

TEST(ExternalCommands, SnapshotSlot6AndDataTable) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    Bytes six(4096, 0);
    for (int i = 3932; i <= 3945; ++i) six[i] = static_cast<uint8_t>(i);
    six[3946] = 0xEE;
    rig.host.files["save06"] = six;
    m.setFlag(1980, 3);
    m.setByte(0x0F00, 9);
    m.setByte(0x0F30, 9);
    // 90 snapshot; change; 91 restores only its ranges; 107 reads slot 6.
    rig.run(cat({{0x10},
                 argNum(90),
                 {0},
                 setFlag(1980, 5),
                 {0x05},
                 num(0x0F00),
                 num(1),
                 {0},
                 {0x05},
                 num(0x0F30),
                 num(1),
                 {0},
                 {0x10},
                 argNum(91),
                 {0},
                 {0x10},
                 argNum(107),
                 {0},
                 {0}}));
    EXPECT_EQ(m.flag(1980), 3);
    EXPECT_EQ(m.byte(0x0F00), 9);
    EXPECT_EQ(m.byte(0x0F30), 1); // outside the restored ranges
    EXPECT_EQ(m.byte(3932), 3932 & 0xFF);
    EXPECT_EQ(m.byte(3945), 3945 & 0xFF);
    EXPECT_EQ(m.byte(3946), 0);

    // Data table at r32[32] + r32[29]: header of 10 bytes, records of 196.
    m.setReg32(29, 0x3000);
    const uint32_t table = 0x1000 + 0x3000;
    m.setWord(table, 10);
    m.setWord(table + 10 + 196 * 2 + 4, 1234);
    m.setWord(table + 10 + 196 * 2 + 6, 5678);
    rig.run(cat({{0x10}, argNum(98), argNum(2), {0}, {0}}));
    EXPECT_EQ(m.reg16(0), 1234);
    EXPECT_EQ(m.reg16(1), 5678);
}

TEST(ExternalCommands, NumberIntoTheLogAndItsReplay) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    rig.machine.setWritePos(0x9000);
    rig.machine.setRecord(0, {1, 0x9000, 0});
    m.setReg16(39, 3);
    rig.run(cat({{0x10}, argNum(111), argNum(7), {0}, {0}}));
    const Bytes expected = {0x01, 0xA3, 0xB0, 0xA3, 0xB0, 0xA3, 0xB7, 0x00};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), m.data() + 0x9000));
    EXPECT_EQ(rig.machine.writePos(), 0x9008u);
    EXPECT_EQ(rig.machine.record(0).length, 8u);
    m.setByte(0x9008, 0); // end of the piece of code
    rig.run(cat({sys(13, argNum(0x9000)), {0}}));
    ASSERT_EQ(rig.host.drawn.size(), 3u);
    EXPECT_EQ(rig.host.drawn[2].code, 0xA3B7);

    ScriptRig sjis(kShiftJisVariant);
    sjis.machine.setWritePos(0x9000);
    sjis.run(cat({{0x10}, argNum(111), argNum(40), {0}, {0}}));
    const Bytes sjisDigits = {0x01, 0x82, 0x53, 0x82, 0x4F, 0x00};
    EXPECT_TRUE(
        std::equal(sjisDigits.begin(), sjisDigits.end(), sjis.machine.memory.data() + 0x9000));
}

TEST(ExternalCommands, InputTestsAndWaits) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    rig.host.keys = (1 << 7) | (1 << 1);
    rig.run(cat({{0x10},
                 argNum(97),
                 {0},
                 setReg16(100, uint32_t(0)),
                 {0x04, 100, 0x80, 18, 0xFF, 0},
                 {0x10},
                 argNum(108),
                 {0},
                 {0}}));
    EXPECT_EQ(m.reg16(100), 1);
    EXPECT_EQ(m.reg16(18), 1);

    ScriptRig waits;
    waits.host.speed = 16;
    waits.run(cat({{0x10}, argNum(103), {0}, {0}}));
    EXPECT_EQ(waits.host.pumps, 4u + 2); // 16 / 4 ticks, plus the two passes
    ScriptRig fast;
    fast.host.speed = 0;
    fast.run(cat({{0x10}, argNum(103), {0}, {0}}));
    EXPECT_EQ(fast.host.pumps, 2u);
    ScriptRig ticks;
    ticks.run(cat({{0x10}, argNum(116), argNum(5), {0}, {0}}));
    EXPECT_EQ(ticks.host.pumps, 6u + 2); // until the count exceeds 5

    ScriptRig up;
    up.host.onPump = [&](uint64_t n) { up.host.keys = (n >= 1 && n < 6) ? (1 << 2) : 0; };
    up.run(cat({{0x10}, argNum(126), {0}, {0}}));
    EXPECT_EQ(up.machine.memory.reg16(18), 1);
    EXPECT_GE(up.host.pumps, 6u);
}

} // namespace
} // namespace fer::test

#include <gtest/gtest.h>

#include "ScriptRig.h"

namespace fer::test {
namespace {

TEST(ScriptMachine, ResetStoresInitialValues) {
    ScriptRig rig;
    const ScriptMemory& m = rig.machine.memory;
    EXPECT_EQ(m.reg16(29), 0x27);
    EXPECT_EQ(m.reg16(34), 640);
    EXPECT_EQ(m.reg16(35), 480);
    EXPECT_EQ(m.reg16(38), 7);
    EXPECT_EQ(m.reg16(40), 16);
    EXPECT_EQ(m.reg16(43), 16);
    EXPECT_EQ(m.reg16(45), 65535);
    EXPECT_EQ(m.reg16(51), 8);
    EXPECT_EQ(m.reg32(26), 131072u);
    EXPECT_EQ(m.reg32(32), 0x1000u);
    EXPECT_EQ(rig.machine.wordElement(0, 0), 2832u);
    EXPECT_EQ(rig.machine.dwordElement(0, 0), 131072u);
    EXPECT_EQ(rig.machine.pc(), 0x1000u);
    EXPECT_EQ(rig.machine.codeBase(), 0x1000u);
    EXPECT_EQ(rig.machine.depth, 0);
}

TEST(ScriptMachine, RegistersFlagsAndArraysOverlap) {
    ScriptRig rig;
    ScriptMachine& mc = rig.machine;
    ScriptMemory& m = mc.memory;
    m.setReg16(26, 1234);
    EXPECT_EQ(mc.wordElement(0, 0), 1234u);
    m.setReg32(27, 0xDEADBEEF);
    EXPECT_EQ(mc.dwordElement(0, 1), 0xDEADBEEFu);
    m.setReg32(0, 0x11223344);
    EXPECT_EQ(m.reg16(54), 0x3344);
    m.setFlag(0, 9);
    EXPECT_EQ(m.byte(0x80), 9);
    // 16-bit array k >= 1 starts at the offset in 16-bit register k - 1.
    m.setReg16(4, 0x2000);
    mc.setWordElement(5, 3, 0xABCD);
    EXPECT_EQ(m.word(0x2006), 0xABCD);
    // Byte array k starts at the offset in 16-bit register k.
    m.setReg16(7, 0x3000);
    mc.setByteElement(7, 2, 0x5A);
    EXPECT_EQ(m.byte(0x3002), 0x5A);
}

TEST(ScriptMachine, ReferencesReachTheMachineBlock) {
    ScriptRig rig;
    ScriptMachine& mc = rig.machine;
    mc.setChoiceAddress(3, 0x1234);
    mc.setChoiceKey(2, 17);
    // 32-bit arrays 34 and 35 go through 32-bit registers 33 and 34.
    EXPECT_EQ(mc.dwordElement(34, 3), 0x1234u);
    EXPECT_EQ(mc.dwordElement(35, 2), 17u);
    // Array 36 designates word 100; word 113 (codeBase) is its element 13.
    EXPECT_EQ(mc.dwordElement(36, 13), 0x1000u);
    mc.setDwordElement(36, 112, 0x2000); // word 212: pc
    EXPECT_EQ(mc.pc(), 0x2000u);
    // Word 114 designates ScriptMemory offset 0: copied into a register, it
    // gives an array over the whole memory.
    mc.memory.setReg32(9, mc.dwordElement(36, 14));
    mc.memory.setDword(0x4000, 77);
    EXPECT_EQ(mc.dwordElement(10, 0x1000), 77u);
}

TEST(ScriptMachine, AccessesOutsideStayInside) {
    ScriptRig rig;
    ScriptMachine& mc = rig.machine;
    mc.memory.setReg32(5, 0xF0000000u + ScriptMachine::kBlockBytes - 2); // straddles the end
    EXPECT_EQ(mc.dwordElement(6, 0), 0u);
    mc.setDwordElement(6, 0, 1);
    mc.memory.setReg32(5, 0x7FFFFFFF); // designates nothing
    mc.setDwordElement(6, 0, 1);
    EXPECT_EQ(mc.dwordElement(6, 0), 0u);
    mc.memory.setReg32(5, ScriptMemory::kSize - 4);
    mc.setDwordElement(6, 0, 0x01020304);
    EXPECT_EQ(mc.dwordElement(6, 0), 0x01020304u);
    EXPECT_EQ(mc.dwordElement(6, 1), 0u);
    EXPECT_EQ(mc.dwordElement(6, 0xFFFFFFFF), 0u);
    mc.memory.setReg16(3, 0xFFFF);
    EXPECT_EQ(mc.byteElement(3, 0xFFFFFFFF), 0u);
    EXPECT_EQ(mc.memory.flag(0xFFFFFFFF), 0u);
}

TEST(ScriptMachine, RestoreReferencesAfterStateWasOverwritten) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    std::fill(m.data(), m.data() + 4096, 0xEE);
    rig.machine.restoreReferences();
    EXPECT_EQ(m.reg16(26), 2832);
    EXPECT_EQ(m.reg32(32), 0x1000u);
    EXPECT_EQ(rig.machine.wordElement(0, 0), 2832u);
    rig.machine.setChoiceAddress(0, 0x4321);
    EXPECT_EQ(rig.machine.dwordElement(34, 0), 0x4321u);
}

TEST(ScriptMachine, ScriptNameIsCutAt127Bytes) {
    ScriptMemory m;
    m.setScriptName(std::string(300, 'A'));
    EXPECT_EQ(m.scriptName().size(), 127u);
    EXPECT_EQ(m.byte(127), 0);
    EXPECT_EQ(m.byte(128), 0); // flag 0 untouched
    m.setScriptName("B.MES");
    EXPECT_EQ(m.scriptName(), "B.MES");
}

TEST(ArgumentList, LongTextsOverwriteTheirValueAndNeverOverrun) {
    Argument a;
    for (size_t i = 0; i < 40; ++i) a.putTextByte(i, 'x');
    EXPECT_EQ(a.text().size(), 26u);
    EXPECT_EQ(a.value(), 0x00787878u); // bytes 24..26 of the text, then the terminator
}

} // namespace
} // namespace fer::test

#include <gtest/gtest.h>

#include "ScriptRig.h"
#include "script/ScriptMessages.h"

namespace fer::test {
namespace {

TEST(Interpreter, AssignmentsAndTheirWrapRules) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    rig.run(cat({
        {0x03, 0x05, 0x00, 0x20, 0xFF, 0x00},             // flag 5 = 0x20 -> 15
        {0x04, 0x0A, 0x01, 0xFF, 0x01, 0x02, 0xFF, 0x00}, // r16[10], r16[11] = 1, 2
        {0x04, 0xFF, 0x07, 0xFF, 0x01, 0x08, 0xFF, 0x00}, // r16[255], r16[0]
        {0x03},
        u16(0xFFFF),
        {0x03, 0xFF, 0x01, 0x04, 0xFF, 0x00}, // flag 65535, flag 0
        {0x05},
        num(0xFFFF),
        {0x11, 0xFF, 0x01, 0x12, 0xFF, 0x00}, // bytes 0xFFFF, 0x0000
        {0x14, 0x02},
        num(0x12345678),
        {0x00}, // r32[2]
        {0x00},
    }));
    EXPECT_TRUE(rig.host.fatals.empty());
    EXPECT_EQ(m.flag(5), 15);
    EXPECT_EQ(m.reg16(10), 1);
    EXPECT_EQ(m.reg16(11), 2);
    EXPECT_EQ(m.reg16(255), 7);
    EXPECT_EQ(m.reg16(0), 8);
    EXPECT_EQ(m.byte(0x80 + 0xFFFF), 3);
    EXPECT_EQ(m.byte(0xFFFF), 0x11);
    EXPECT_EQ(m.byte(0x0000), 0x12);
    EXPECT_EQ(m.reg32(2), 0x12345678u);
    EXPECT_EQ(rig.machine.depth, 0);
}

TEST(Interpreter, LaterValuesOfAListSeeEarlierStores) {
    ScriptRig rig;
    // r16[10] = 5, r16[11] = r16[10] + 1
    rig.run(cat({{0x04, 10}, num(5), {0x01, 0x80, 10, 0x01, 0xE0, 0xFF, 0x00}, {0x00}}));
    EXPECT_EQ(rig.machine.memory.reg16(11), 6);
}

TEST(Interpreter, ArrayAssignmentsIndexBeforeArrayNumber) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setReg16(3, 0x6000); // byte array 3; 16-bit array 4
    rig.run(cat({
        {0x06},
        num(2),
        {0x03},
        num(0x1FF),
        {0x01},
        num(0x22),
        {0x00}, // dim8[3][2], [3]
        {0x07},
        num(2),
        {0x04},
        num(0x12345),
        {0x00}, // dim16[4][2]
        {0x08},
        num(1),
        {0x00},
        num(0xAABBCCDD),
        {0x00}, // dim32[0][1] = r32[27]
        {0x00},
    }));
    EXPECT_EQ(m.byte(0x6002), 0xFF);
    EXPECT_EQ(m.byte(0x6003), 0x22);
    EXPECT_EQ(m.word(0x6004), 0x2345); // 16-bit array 4 starts at r16[3] as well
    EXPECT_EQ(m.reg32(27), 0xAABBCCDDu);
}

TEST(Interpreter, ConditionalJumpFallsThroughOnlyOn1) {
    for (uint32_t c : {0u, 1u, 2u}) {
        ScriptRig rig;
        // if c == 1 fall through to r16[1] = 1, else jump to r16[2] = 1.
        const uint32_t second =
            static_cast<uint32_t>(cat({{0x09}, num(c), u32(0), setReg16(1, 1), {0x00}}).size());
        rig.run(cat({{0x09}, num(c), u32(second), setReg16(1, 1), {0x00}, setReg16(2, 1), {0x00}}));
        EXPECT_EQ(rig.machine.memory.reg16(1), c == 1 ? 1 : 0) << c;
        EXPECT_EQ(rig.machine.memory.reg16(2), c == 1 ? 0 : 1) << c;
    }
}

TEST(Interpreter, LoopWithJumpBack) {
    ScriptRig rig;
    // again: r16[1] = r16[1] + 1; if r16[1] == 100 goto end... (falls through on 1)
    const Bytes inc = {0x04, 1, 0x80, 1, 0x01, 0xE0, 0xFF, 0x00};
    rig.run(cat({inc, {0x09, 0x80, 1, 100, 0xEF, 0xFF}, u32(0), {0}}));
    EXPECT_EQ(rig.machine.memory.reg16(1), 100);
}

TEST(Interpreter, TextDrawsCharactersAndMovesTheCursor) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    rig.run(cat({{0x01, 0xC4, 0xE3, 0xBA, 0xC3, 0x00},
                 {0x02, 'A', 'B', 0x00},
                 {0xC4, 0xE3, 0x00},
                 {0x00}}));
    ASSERT_EQ(rig.host.drawn.size(), 5u);
    EXPECT_EQ(rig.host.drawn[0].code, 0xC4E3);
    EXPECT_EQ(rig.host.drawn[1].x, 16);
    EXPECT_EQ(rig.host.drawn[2].code, 'A');
    EXPECT_EQ(rig.host.drawn[2].x, 32);
    EXPECT_EQ(rig.host.drawn[3].x, 40);        // single-byte characters advance by half
    EXPECT_EQ(rig.host.drawn[4].code, 0xC4E3); // implicit text
    EXPECT_EQ(rig.host.drawn[4].x, 48);
    EXPECT_EQ(m.reg16(36), 64);
    // The text area (0, 0, 640, 480) is presented after each text on plane 0.
    ASSERT_EQ(rig.host.presents.size(), 3u);
    EXPECT_EQ(rig.host.presents[0], (std::array<int, 4>{0, 0, 641, 481}));
}

TEST(Interpreter, FortyCharactersFillALineAndTheAreaWrapsToItsTop) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setReg16(35, 48); // three lines of 16
    Bytes text{0x01};
    for (int i = 0; i < 121; ++i) text.insert(text.end(), {0xB0, 0xA1});
    text.push_back(0);
    rig.run(cat({text, {0}}));
    ASSERT_EQ(rig.host.drawn.size(), 121u);
    EXPECT_EQ(rig.host.drawn[39].x, 624);
    EXPECT_EQ(rig.host.drawn[39].y, 0);
    EXPECT_EQ(rig.host.drawn[40].x, 0);
    EXPECT_EQ(rig.host.drawn[40].y, 16);
    EXPECT_EQ(rig.host.drawn[80].y, 32);
    EXPECT_EQ(rig.host.drawn[120].y, 0); // back at the top of the area
    EXPECT_EQ(rig.host.drawn[120].x, 0);
}

TEST(Interpreter, NewLineControlAndPlaneChoice) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setReg16(27, 2);
    m.setReg16(32, 100);
    m.setReg16(36, 300);
    m.setReg16(42, 3);
    rig.run(cat({{0x11, 0x00}, {0x11, 0x05}, {0x02, 'x', 0}, {0}}));
    EXPECT_EQ(m.reg16(37), 16);
    ASSERT_EQ(rig.host.drawn.size(), 1u);
    EXPECT_EQ(rig.host.drawn[0].x, 100);
    EXPECT_EQ(rig.host.drawn[0].plane, 2u);
    EXPECT_EQ(rig.host.drawn[0].style, 3u);
    EXPECT_TRUE(rig.host.presents.empty()); // not plane 0
}

TEST(Interpreter, ShiftJisBuildRejectsNonLeadBytesAsOpcodes) {
    ScriptRig sjis(kShiftJisVariant);
    sjis.run({0xA1, 0xA1, 0x00, 0x00});
    ASSERT_EQ(sjis.host.fatals.size(), 1u);
    EXPECT_EQ(sjis.host.fatals[0].first, script_text::kScriptErrorTitle);
    ScriptRig gb;
    gb.run({0xA1, 0xA1, 0x00, 0x00});
    EXPECT_TRUE(gb.host.fatals.empty());
    EXPECT_EQ(gb.host.drawn.size(), 1u);
}

TEST(Interpreter, InvalidOpcodeIsFatalAndDoesNotHang) {
    ScriptRig rig;
    rig.run({0x04, 0x01, 0x01, 0xFF, 0x00, 0x30, 0x00});
    ASSERT_EQ(rig.host.fatals.size(), 1u);
    EXPECT_NE(rig.host.fatals[0].second.find("0x30"), std::string::npos);
    EXPECT_EQ(rig.machine.memory.reg16(1), 1);
}

// A text instruction that starts with lead byte `lead` draws one character;
// a byte just outside a lead range is a bad opcode.
void expectLeadByte(const BuildVariant& variant, uint8_t lead, bool isLead) {
    ScriptRig rig(variant);
    rig.run({lead, 0xA1, 0x00, 0x00});
    if (isLead) {
        EXPECT_TRUE(rig.host.fatals.empty()) << variant.name << " 0x" << std::hex << int(lead);
        ASSERT_EQ(rig.host.drawn.size(), 1u) << variant.name << " 0x" << std::hex << int(lead);
        EXPECT_EQ(rig.host.drawn[0].code, (lead << 8) | 0xA1);
    } else {
        ASSERT_EQ(rig.host.fatals.size(), 1u) << variant.name << " 0x" << std::hex << int(lead);
        EXPECT_EQ(rig.host.fatals[0].first, script_text::kScriptErrorTitle);
        EXPECT_TRUE(rig.host.drawn.empty());
    }
}

TEST(Interpreter, LeadByteRangesEndExactlyAtTheirEdges) {
    // Shift-JIS: 0x81..0x9F and 0xE0..0xEF.
    for (uint8_t b : {0x81, 0x9F, 0xE0, 0xEF}) expectLeadByte(kShiftJisVariant, b, true);
    for (uint8_t b : {0x80, 0xA0, 0xDF, 0xF0}) expectLeadByte(kShiftJisVariant, b, false);
    // GB2312: 0x81..0xFE.
    for (uint8_t b : {0x81, 0x9F, 0xA0, 0xE0, 0xFD, 0xFE}) expectLeadByte(kGb2312Variant, b, true);
    for (uint8_t b : {0x80, 0xFF}) expectLeadByte(kGb2312Variant, b, false);
}

TEST(BuildVariant, LeadBytesOfEachBuildAtTheRangeEdges) {
    for (unsigned b = 0; b < 256; ++b) {
        const bool sjis = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
        const bool gb = b >= 0x81 && b <= 0xFE;
        EXPECT_EQ(kShiftJisVariant.isLeadByte(uint8_t(b)), sjis) << std::hex << b;
        EXPECT_EQ(kGb2312Variant.isLeadByte(uint8_t(b)), gb) << std::hex << b;
    }
}

// Procedure p: body sets r16[20 + p]; defined with opcode 18 and a skip target.
Bytes defineProc(uint32_t p, const Bytes& body, uint32_t at) {
    const Bytes head = cat({{0x12}, num(p), u32(0)});
    const uint32_t end = at + static_cast<uint32_t>(head.size() + body.size());
    return cat({{0x12}, num(p), u32(end), body});
}

TEST(Interpreter, ProceduresCallAndReturn) {
    ScriptRig rig;
    const Bytes body = cat({setReg16(20, 7), {0}});
    const Bytes def = defineProc(3, body, 0);
    rig.run(cat({def, callProc(3), setReg16(21, 8), {0}}));
    EXPECT_EQ(rig.machine.memory.reg16(20), 7);
    EXPECT_EQ(rig.machine.memory.reg16(21), 8);
    EXPECT_EQ(rig.machine.procedures[3].entry, 0x1000u + 1 + 2 + 4);
    EXPECT_EQ(rig.machine.procedures[3].base, 0x1000u);
    EXPECT_EQ(rig.machine.depth, 0);
}

TEST(Interpreter, UndefinedAndOutOfRangeProceduresCallNothing) {
    ScriptRig rig;
    rig.host.scripts["NEXT.MES"] = cat({callProc(5), {0}});
    // 15 bytes of definition: the calls stand at 0x100F, 0x1016 and 0x101B.
    const Bytes def = defineProc(150, cat({setReg16(20, 7), {0}}), 0);
    const Bytes change = cat({{0x0C}, argText("NEXT.MES"), {0}});
    rig.run(cat({def, callProc(150), callProc(5), callProc(5), setReg16(21, 8), change}));
    EXPECT_EQ(rig.machine.memory.reg16(20), 0);
    EXPECT_EQ(rig.machine.memory.reg16(21), 8);
    EXPECT_TRUE(rig.host.fatals.empty());
    // Each number once until the next script is loaded.
    EXPECT_EQ(rig.host.log,
              (std::vector<std::string>{
                  "undefined procedure 150 called at 0x0000100F: nothing runs",
                  "undefined procedure 5 called at 0x00001016: nothing runs", "COM_CHANGE",
                  "NEXT.MES", "undefined procedure 5 called at 0x00001000: nothing runs"}));
}

TEST(Interpreter, EndlessRecursionEndsWithAFatalError) {
    ScriptRig rig;
    const Bytes def = defineProc(1, cat({callProc(1), {0}}), 0);
    rig.run(cat({def, callProc(1), {0}}));
    ASSERT_EQ(rig.host.fatals.size(), 1u);
    EXPECT_EQ(rig.host.fatals[0].second, script_text::kTooDeepText);
}

TEST(Interpreter, ProcedureDefinedAtCodeBaseCalledFromCommand13) {
    ScriptRig rig;
    // Code at 0x8000, run by command 13, calls procedure 2 and ends.
    rig.load(cat({callProc(2), setReg16(22, 1), {0}}), 0x8000);
    // Procedure 2 copies codeBase (machine-block word 113 = element 13 of
    // 32-bit array 36) into r32[50].
    const Bytes def = defineProc(2, cat({{0x14, 50, 0x0D, 0xF5, 36, 0xFF, 0}, {0}}), 0);
    rig.run(cat({def, sys(13, argNum(0x8000)), setReg16(23, 1), {0}}));
    EXPECT_EQ(rig.machine.memory.reg32(50), 0x1000u);
    EXPECT_EQ(rig.machine.memory.reg16(22), 1);
    EXPECT_EQ(rig.machine.memory.reg16(23), 1);
    EXPECT_EQ(rig.machine.codeBase(), 0x1000u);
    EXPECT_EQ(rig.machine.depth, 0);
}

TEST(Interpreter, ReturnFromAProcedureRestoresTheCodeBaseOfCodeRunElsewhere) {
    ScriptRig rig;
    // Code at 0x8000, run by command 13, calls procedure 2 (defined at the
    // code base 0x1000) and then jumps 0x100 bytes past its own start.
    rig.load(cat({callProc(2), jump(0x100)}), 0x8000);
    rig.load(cat({setReg16(24, 1), {0}}), 0x8100);
    // The same jump taken from the procedure's code base lands here.
    rig.load(cat({setReg16(25, 1), {0}}), 0x1100);
    const Bytes def = defineProc(2, cat({setReg16(22, 1), {0}}), 0);
    rig.run(cat({def, sys(13, argNum(0x8000)), setReg16(23, 1), {0}}));
    const ScriptMemory& m = rig.machine.memory;
    EXPECT_EQ(m.reg16(22), 1);
    EXPECT_EQ(m.reg16(24), 1) << "the jump after the return must use the caller's code base";
    EXPECT_EQ(m.reg16(25), 0);
    EXPECT_EQ(m.reg16(23), 1);
    EXPECT_EQ(rig.machine.codeBase(), 0x1000u);
    EXPECT_TRUE(rig.host.fatals.empty());
}

TEST(Interpreter, ChangeInsideThreeLevelsOfProceduresUnwinds) {
    ScriptRig rig;
    rig.host.scripts["NEXT.MES"] = cat({setReg16(30, 99), {0}});
    const Bytes change = cat({{0x0C}, argText("NEXT.MES"), {0}});
    Bytes code;
    const Bytes p3 = defineProc(3, cat({change, setReg16(100, 1), {0}}), 0);
    const Bytes p2 = defineProc(2, cat({callProc(3), setReg16(101, 1), {0}}), uint32_t(p3.size()));
    const Bytes p1 =
        defineProc(1, cat({callProc(2), setReg16(102, 1), {0}}), uint32_t(p3.size() + p2.size()));
    rig.run(cat({p3, p2, p1, callProc(1), setReg16(103, 1), {0}}));
    const ScriptMemory& m = rig.machine.memory;
    EXPECT_EQ(m.reg16(30), 99);
    EXPECT_EQ(m.reg16(100) + m.reg16(101) + m.reg16(102) + m.reg16(103), 0);
    EXPECT_EQ(m.scriptName(), "NEXT.MES");
    EXPECT_EQ(rig.host.fileNames[0], "NEXT.MES");
    EXPECT_EQ(rig.host.log, (std::vector<std::string>{"COM_CHANGE", "NEXT.MES"}));
    EXPECT_EQ(rig.machine.depth, 0);
    EXPECT_FALSE(m.controlWord() & control::kChangePending);
}

// Runs a choice: items with keys 10 and 11, handlers 38 (start), 39 (pass)
// and 32 (decide) that picks slot 1 via command 13 and leaves.
TEST(Interpreter, ChoiceLoopWithHandlers) {
    ScriptRig rig;
    rig.machine.memory.setControlBits(control::kLoggingEnabled);
    // Handler 32: r16[60] = 1; run the body of slot 1; set leave-choice.
    const Bytes leave = cat({{0x04, 29, 0x80, 29, 0x08, 0xE9, 0xFF, 0x00}});
    const Bytes runSlot1 = cat({{0x0B}, num(13), {0x02, 0x01, 0xF5, 34, 0xFF}, {0}});
    Bytes code;
    uint32_t at = 0;
    auto add = [&](const Bytes& b) {
        code = cat({code, b});
        at = static_cast<uint32_t>(code.size());
    };
    add(defineProc(32, cat({setReg16(60, 1), runSlot1, leave, {0}}), at));
    add(defineProc(38, cat({setReg16(61, 1), {0}}), at));
    add(defineProc(39, cat({{0x04, 62, 0x80, 62, 0x01, 0xE0, 0xFF, 0x00}, {0}}), at));
    // Choice items: opcode 14, args (key), target past the body.
    auto item = [&](uint32_t key, uint8_t reg) {
        const Bytes body = cat({setReg16(reg, key), {0}});
        const Bytes head = cat({{0x0E}, argNum(key), {0}, u32(0)});
        add(cat({{0x0E}, argNum(key), {0}, u32(at + uint32_t(head.size() + body.size())), body}));
    };
    item(10, 70);
    item(11, 71);
    add({0x13});
    add(cat({sys(15, argNum(1)), {0}}));
    // Decide is pressed once the start handler ran and released after the
    // decide handler ran.
    rig.host.onPump = [&](uint64_t) {
        const ScriptMemory& m = rig.machine.memory;
        rig.host.keys = (m.reg16(61) == 1 && m.reg16(60) == 0) ? 1 : 0;
    };
    rig.run(code);
    const ScriptMemory& m = rig.machine.memory;
    EXPECT_TRUE(rig.host.fatals.empty());
    EXPECT_EQ(m.reg16(52), 2);
    EXPECT_EQ(m.reg16(61), 1);
    EXPECT_GE(m.reg16(62), 1);
    EXPECT_EQ(m.reg16(60), 1);
    EXPECT_EQ(m.reg16(70), 0);
    EXPECT_EQ(m.reg16(71), 11); // the body of slot 1 ran
    EXPECT_EQ(m.reg16(53), 11); // command 15: slot 1 -> key 11
    // The control word came back, with leave-choice clear and logging on again.
    EXPECT_EQ(m.controlWord(), control::kInitial | control::kLoggingEnabled);
    EXPECT_FALSE(rig.machine.choiceOpen);
    EXPECT_EQ(rig.machine.keyCount(), 2);
    EXPECT_EQ(rig.machine.choiceKey(1), 11u);
}

TEST(Interpreter, ChoiceLoopEndsWhenTheWindowCloses) {
    ScriptRig rig;
    rig.host.onPump = [&](uint64_t n) {
        if (n == 20) rig.host.state = 255;
    };
    rig.run({0x13, 0x00});
    EXPECT_EQ(rig.host.state, 255);
    EXPECT_FALSE(rig.machine.choiceOpen);
}

TEST(Interpreter, InactiveWindowRunsNothingUntilActiveAgain) {
    ScriptRig rig;
    rig.host.state = 1;
    rig.host.onPump = [&](uint64_t n) {
        if (n == 10) rig.host.state = 0;
        if (n < 10) {
            EXPECT_EQ(rig.machine.memory.reg16(1), 0);
        }
    };
    rig.host.keys = 1;
    rig.run(cat({setReg16(1, 5), {0}}));
    EXPECT_EQ(rig.machine.memory.reg16(1), 5);
    EXPECT_EQ(rig.host.keys, 0); // cleared on re-activation
    ASSERT_FALSE(rig.host.presents.empty());
    EXPECT_EQ(rig.host.presents[0], (std::array<int, 4>{0, 0, 640, 400}));
}

TEST(Interpreter, ClosedWindowEndsAfterOneMorePass) {
    ScriptRig rig;
    rig.host.state = 255;
    rig.run(cat({setReg16(1, 5), setReg16(2, 6), {0}}));
    EXPECT_EQ(rig.machine.memory.reg16(1), 5);
    EXPECT_EQ(rig.machine.memory.reg16(2), 0);
}

// A host may let passes go without the pump, but only after instructions
// that assign, jump or define: any other instruction is followed by a pump,
// as is the first instruction of a loop.
TEST(Interpreter, QuietPassesFollowOnlyAssignmentsJumpsAndDefinitions) {
    Bytes code;
    for (uint32_t i = 0; i < 10; ++i) code = cat({code, setReg16(1, i)});
    code = cat({code, {0x11, 0x01}}); // a text control
    for (uint32_t i = 0; i < 5; ++i) code = cat({code, setReg16(2, i)});
    code.push_back(0);
    for (const uint32_t quiet : {0u, 3u}) {
        ScriptRig rig;
        rig.host.quiet = quiet;
        std::vector<uint64_t> pumpedAfter; // instructions run before each pump
        rig.host.onPump = [&](uint64_t) { pumpedAfter.push_back(rig.machine.instructionCount); };
        rig.run(code);
        EXPECT_EQ(rig.machine.instructionCount, 17u);
        EXPECT_EQ(rig.machine.memory.reg16(2), 4);
        if (quiet == 0) {
            ASSERT_EQ(pumpedAfter.size(), 17u);
            for (uint64_t i = 0; i < 17; ++i) EXPECT_EQ(pumpedAfter[i], i);
        } else {
            // Three quiet passes after each pump; the text control cuts them short.
            EXPECT_EQ(pumpedAfter, (std::vector<uint64_t>{0, 4, 8, 11, 15}));
        }
    }
    // A procedure's loop starts with a pump, and the call is followed by one.
    ScriptRig rig;
    rig.host.quiet = 100;
    std::vector<uint64_t> pumpedAfter;
    rig.host.onPump = [&](uint64_t) { pumpedAfter.push_back(rig.machine.instructionCount); };
    rig.run(cat({defineProc(5, cat({setReg16(3, 7), {0}}), 0), callProc(5), setReg16(4, 1), {0}}));
    EXPECT_EQ(rig.machine.memory.reg16(3), 7);
    EXPECT_EQ(pumpedAfter, (std::vector<uint64_t>{0, 2, 4}));
}

TEST(Interpreter, ExternalCommandRange) {
    ScriptRig rig;
    rig.run(
        cat({{0x10}, argNum(94), {0}, {0x10}, argNum(125), {0}, {0x10}, argNum(127), {0}, {0}}));
    EXPECT_EQ(rig.host.externalCalls, (std::vector<uint32_t>{94, 125}));
    ASSERT_EQ(rig.host.fatals.size(), 1u);
    EXPECT_EQ(rig.host.fatals[0].first, script_text::kCallErrorTitle);
    EXPECT_EQ(rig.host.fatals[0].second, script_text::kUnknownExternalText);
}

} // namespace
} // namespace fer::test

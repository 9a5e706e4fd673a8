#include <gtest/gtest.h>

#include "ScriptRig.h"
#include "script/ScriptMessages.h"

namespace fer::test {
namespace {

struct EvalCase {
    Bytes code;
    uint32_t expected;
};

TEST(Evaluator, OperatorsAndOperandOrder) {
    const EvalCase cases[] = {
        {{0x05, 0x03, 0xE1, 0xFF}, 2},
        {{0x03, 0x05, 0xE1, 0xFF}, 4294967294u},
        {{0x07, 0x02, 0xE3, 0xFF}, 3},
        {{0x07, 0x02, 0xE4, 0xFF}, 1},
        {{0x06, 0x07, 0xE2, 0xFF}, 42},
        {{0x02, 0x01, 0xE6, 0xFF}, 0},
        {{0x01, 0x01, 0xE6, 0xFF}, 1},
        {{0x00, 0x01, 0xE7, 0xFF}, 1},
        {{0x02, 0x03, 0xE7, 0xFF}, 0},
        {{0x0C, 0x0A, 0xE8, 0xFF}, 8},
        {{0x0C, 0x0A, 0xE9, 0xFF}, 14},
        {{0x0C, 0x0A, 0xEA, 0xFF}, 6},
        {{0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xEB, 0xFF}, 0},
        {{0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xEC, 0xFF}, 1},
        {{0x03, 0x03, 0xED, 0xFF}, 1},
        {{0x02, 0x03, 0xEE, 0xFF}, 0},
        {{0x03, 0x03, 0xEF, 0xFF}, 1},
        {{0x03, 0x03, 0xF0, 0xFF}, 0},
        {{0x90, 0xFF}, 144},
        {{0xA1, 0xFF}, 0xA1},
        {{0xC1, 0xFF}, 0xC1},
        {{0xF7, 0xFF}, 0xF7},
        {{0xFE, 0xFF}, 0xFE},
        {{0xF1, 0x34, 0x12, 0xFF}, 4660},
        {{0xF2, 0x78, 0x56, 0x34, 0x12, 0xFF}, 0x12345678},
        {{0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xE0, 0xFF}, 1}, // wraps
        {{0x07, 0x00, 0xE3, 0xFF}, 0},                         // zero divisor
        {{0x07, 0x00, 0xE4, 0xFF}, 0},
    };
    for (const auto& c : cases) {
        ScriptRig rig;
        EXPECT_EQ(rig.eval(c.code), c.expected) << ::testing::PrintToString(c.code);
        EXPECT_TRUE(rig.host.fatals.empty());
        EXPECT_EQ(rig.evaluator.stackDepth(), 0u);
    }
}

TEST(Evaluator, ReadsRegistersFlagsAndArrays) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setFlag(0, 3);
    m.setFlag(300, 9);
    m.setReg16(10, 0xBEEF);
    m.setReg32(200, 0xCAFEBABE);
    m.setReg16(27, 5); // element 1 of 16-bit array 0
    m.setReg32(30, 6); // element 4 of 32-bit array 0
    m.setReg16(8, 0x5000);
    m.setByte(0x5003, 0x42);
    EXPECT_EQ(rig.eval({0xF3, 0x00, 0x00, 0xFF}), 3u);
    EXPECT_EQ(rig.eval({0xF1, 0x2C, 0x01, 0xF4, 0xFF}), 9u);
    EXPECT_EQ(rig.eval({0x80, 10, 0xFF}), 0xBEEFu);
    EXPECT_EQ(rig.eval({0xF6, 200, 0xFF}), 0xCAFEBABEu);
    EXPECT_EQ(rig.eval({0x01, 0xA0, 0x00, 0xFF}), 5u);
    EXPECT_EQ(rig.eval({0x04, 0xF5, 0x00, 0xFF}), 6u);
    EXPECT_EQ(rig.eval({0x03, 0xC0, 0x08, 0xFF}), 0x42u);
}

TEST(Evaluator, RandomDrawFollowsItsFormula) {
    ScriptRig rig;
    rig.evaluator.setRandomState(0x12345678);
    rig.host.tickTotal = 5;
    const uint32_t s = 0x12345678;
    const uint32_t expected = 5 + (s >> 16) * ((s >> 8) & 0xFF) + (s & 0xFFFF) * (s & 0xFF);
    EXPECT_EQ(rig.eval({0xE5, 0xE8, 0x03, 0xFF}), expected % 1000);
    EXPECT_EQ(rig.evaluator.randomState(), expected);
    EXPECT_EQ(rig.eval({0xE5, 0x00, 0x00, 0xFF}), 0u); // zero range
}

TEST(Evaluator, StackFailuresAreFatalWithTheirTexts) {
    {
        ScriptRig rig;
        rig.eval({0xFF});
        ASSERT_EQ(rig.host.fatals.size(), 1u);
        EXPECT_EQ(rig.host.fatals[0].first, script_text::kStackErrorTitle);
        EXPECT_EQ(rig.host.fatals[0].second, script_text::kStackEmptyText);
    }
    {
        ScriptRig rig;
        EXPECT_EQ(rig.eval({0x01, 0x02, 0xFF}), 0u); // halted: the value is not used
        ASSERT_EQ(rig.host.fatals.size(), 1u);
        EXPECT_EQ(rig.host.fatals[0].second, script_text::kStackLeftText);
    }
    {
        ScriptRig rig;
        Bytes code(1100, 0x01);
        code.push_back(0xFF);
        rig.eval(code);
        ASSERT_EQ(rig.host.fatals.size(), 1u);
        EXPECT_EQ(rig.host.fatals[0].first, script_text::kStackOverflowTitle);
        EXPECT_EQ(rig.host.fatals[0].second, script_text::kStackOverflowText);
        EXPECT_LE(rig.evaluator.stackDepth(), Evaluator::kStackSize);
    }
}

TEST(Evaluator, ExpressionRunningOffTheEndOfMemoryStops) {
    ScriptRig rig;
    std::fill(rig.machine.memory.data() + 0x1000, rig.machine.memory.data() + ScriptMemory::kSize,
              0xE9); // pops forever would underflow; 0x01 0xE9 pairs run to the end
    for (uint32_t a = 0x1000; a + 1 < ScriptMemory::kSize; a += 2) rig.machine.memory.setByte(a, 1);
    rig.machine.setPc(0x1000);
    rig.machine.memory.setByte(0x1001, 0x01);
    rig.evaluator.evaluate();
    EXPECT_TRUE(rig.evaluator.halted());
    EXPECT_EQ(rig.host.fatals.size(), 1u);
}

TEST(Evaluator, ArgumentListReader) {
    ScriptRig rig;
    rig.load({0x01, 0x41, 0x42, 0x00, 0x02, 0x05, 0xFF, 0x00});
    rig.evaluator.readArguments();
    const ArgumentList& a = rig.machine.arguments;
    ASSERT_EQ(a.count(), 2u);
    EXPECT_EQ(a[0].kind(), Argument::kText);
    EXPECT_EQ(a.text(0), "AB");
    EXPECT_EQ(a[1].kind(), Argument::kNumber);
    EXPECT_EQ(a.value(1), 5u);
    EXPECT_EQ(rig.machine.pc(), 0x1008u);

    rig.load({0x03, 0x00});
    rig.evaluator.readArguments();
    ASSERT_EQ(a.count(), 1u);
    EXPECT_EQ(a[0].kind(), Argument::kEmpty);

    rig.load({0x00});
    rig.evaluator.readArguments();
    EXPECT_EQ(a.count(), 0u);
    EXPECT_EQ(a[0].kind(), Argument::kEmpty); // cleared
}

TEST(Evaluator, ArgumentListDropsWhatDoesNotFit) {
    ScriptRig rig;
    Bytes code;
    for (int i = 0; i < 40; ++i) code = cat({code, argNum(100 + i)});
    code = cat({code, argText(std::string(60, 'n')), {0}, {0x07}});
    rig.load(code);
    rig.evaluator.readArguments();
    const ArgumentList& a = rig.machine.arguments;
    EXPECT_EQ(a.count(), ArgumentList::kCapacity);
    EXPECT_EQ(a.value(29), 129u);
    EXPECT_EQ(rig.machine.memory.byte(rig.machine.pc()), 0x07); // every byte consumed
    rig.load(cat({argText(std::string(60, 'n')), {0}}));
    rig.evaluator.readArguments();
    EXPECT_EQ(a.text(0), std::string(26, 'n'));
}

TEST(Evaluator, RecordsBytesWhileAMessageIsRecorded) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setControlBits(control::kLoggingEnabled | control::kRecording);
    rig.machine.setWritePos(0x8000);
    rig.machine.currentRecord = 4;
    rig.machine.setRecord(4, {1, 0x8000, 0});
    EXPECT_EQ(rig.eval({0x02, 0x03, 0xE0, 0xFF}), 5u);
    EXPECT_EQ(rig.machine.writePos(), 0x8004u);
    EXPECT_EQ(rig.machine.record(4).length, 4u);
    EXPECT_EQ(m.byte(0x8002), 0xE0);
    // Without logging enabled nothing is copied.
    m.clearControlBits(control::kLoggingEnabled);
    rig.eval({0x02, 0xFF});
    EXPECT_EQ(rig.machine.writePos(), 0x8004u);
}

TEST(Evaluator, LogRecordReaching1024BytesIsFatal) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    m.setControlBits(control::kLoggingEnabled | control::kRecording);
    rig.machine.setWritePos(0x9000 + 1020);
    rig.machine.setRecord(0, {1, 0x9000, 1020});
    for (int i = 0; i < 1020; ++i) m.setByte(0x9000 + i, 'A');
    rig.eval({0x01, 0x02, 0xE0, 0xFF}); // the fourth byte makes 1024
    ASSERT_EQ(rig.host.fatals.size(), 1u);
    EXPECT_EQ(rig.host.fatals[0].first, script_text::kLogOverflowTitle);
    EXPECT_EQ(rig.host.fatals[0].second, std::string(1020, 'A') + "\x01\x02\xE0\xFF");
}

} // namespace
} // namespace fer::test

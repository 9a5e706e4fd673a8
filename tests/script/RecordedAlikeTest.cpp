#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "ScriptRig.h"
#include "script/ScriptMessages.h"

namespace fer::test {
namespace {

// Register assignments and jumps read their operands one way while a message
// is recorded (every byte through the byte reader, which copies it into the
// log) and another way while nothing is: apart from the log, both must end in
// the same state, for any operands, at the end of the memory too, and when
// the instruction itself writes the control word.

constexpr uint32_t kLogArea = 0x3000;
constexpr uint16_t kRecordingBits = control::kRecording | control::kLoggingEnabled;

struct Outcome {
    uint32_t pc = 0;
    uint32_t codeBase = 0;
    uint64_t instructions = 0;
    uint32_t stackDepth = 0;
    uint32_t randomState = 0;
    bool halted = false;
    uint16_t controlWord = 0;
    Bytes state; // flags, registers of both widths, without the control word
    std::vector<std::pair<std::string, std::string>> fatals;
};

// Runs one instruction on a rig that earlier rounds used: what the
// instruction can read or change is set again, and the evaluator is made anew
// (no halt, an empty stack).
Outcome runOne(ScriptRig& rig, const Bytes& code, uint32_t at, bool recorded) {
    ScriptMemory& m = rig.machine.memory;
    std::destroy_at(&rig.evaluator);
    std::construct_at(&rig.evaluator, rig.machine, rig.host);
    rig.host.fatals.clear();
    rig.host.tickTotal = 0;
    rig.machine.instructionCount = 0;
    rig.machine.depth = 0;
    std::memset(m.data() + ScriptMemory::kFlagBase, 0, ScriptMemory::kCodeBase - ScriptMemory::kFlagBase);
    const size_t n = std::min<size_t>(code.size(), ScriptMemory::kSize - at);
    std::copy_n(code.begin(), n, m.data() + at);
    // Past the instruction, end bytes: an expression left open ends soon
    // after, long before its bytes could fill a log record.
    const size_t tail = std::min<size_t>(4096, ScriptMemory::kSize - at - n);
    std::memset(m.data() + at + n, 0xFF, tail);
    for (uint8_t r = 0; r < 40; ++r) m.setReg16(r, static_cast<uint16_t>(r * 3 + 1));
    m.setControlWord(recorded ? kRecordingBits : 0);
    rig.machine.setWritePos(kLogArea);
    rig.machine.currentRecord = 0;
    rig.machine.setRecord(0, {1, kLogArea, 0});
    rig.machine.setPc(at);
    rig.machine.setCodeBase(ScriptMemory::kCodeBase);
    rig.host.state = 255; // closed: the loop runs one instruction, then ends
    rig.interpreter.run();

    Outcome o;
    o.pc = rig.machine.pc();
    o.codeBase = rig.machine.codeBase();
    o.instructions = rig.machine.instructionCount;
    o.stackDepth = rig.evaluator.stackDepth();
    o.randomState = rig.evaluator.randomState();
    o.halted = rig.evaluator.halted();
    o.controlWord = m.controlWord();
    m.setControlWord(0);
    o.state.assign(m.data() + ScriptMemory::kFlagBase, m.data() + 0x1000);
    o.fatals = rig.host.fatals;
    return o;
}

Bytes randomExpression(std::mt19937& rng) {
    Bytes e;
    const int tokens = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < tokens; ++i) {
        switch (rng() % 9) {
        case 0:
        case 1: e.push_back(static_cast<uint8_t>(rng() % 0x80)); break;
        case 2: {
            // Any register but the control word, whose recording bits differ between the runs.
            const uint8_t r = uint8_t(rng() % 40);
            e = cat({e, {0x80, uint8_t(r == reg16::kControlWord ? 0 : r)}});
            break;
        }
        case 3: e = cat({e, {0xF1}, u16(rng())}); break;
        case 4: {
            // Values that start or stop the recording when they land in the control word.
            const uint32_t v = rng() % 2 ? kRecordingBits | (rng() & 0x0F) : rng();
            e = cat({e, {0xF2}, u32(v)});
            break;
        }
        case 5: e = cat({e, {0xF6, uint8_t(rng() % 40)}}); break;
        case 6: e = cat({e, {0xF3}, u16(rng() % 0x800)}); break;
        default: e.push_back(static_cast<uint8_t>(0xE0 + rng() % 17)); break; // operators, the draw
        }
    }
    if (rng() % 16) e.push_back(0xFF); // else the next bytes go on the expression
    return e;
}

Bytes randomInstruction(std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
    case 1: {
        const bool wide = rng() % 4 == 0;
        // 16-bit lists often start just below the control word (29).
        const uint8_t first = wide || rng() % 2 ? uint8_t(rng()) : uint8_t(26 + rng() % 4);
        Bytes b = {uint8_t(wide ? 20 : 4), first};
        const int values = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < values; ++i) {
            b = cat({b, randomExpression(rng)});
            b.push_back(i + 1 < values ? uint8_t(1 + rng() % 255) : 0);
        }
        return b;
    }
    case 2: return cat({{9}, randomExpression(rng), u32(rng() % 0x2000)});
    default: return cat({{10}, u32(rng())});
    }
}

TEST(Interpreter, AssignmentsAndJumpsEndAlikeRecordedOrNot) {
    std::mt19937 rng(20261208);
    ScriptRig plainRig;
    ScriptRig recordedRig;
    int cut = 0;
    int controlWrites = 0;
    for (int round = 0; round < 20000; ++round) {
        const Bytes code = randomInstruction(rng);
        // Half the instructions run off the end of the memory somewhere.
        const uint32_t at = rng() % 2 ? ScriptMemory::kCodeBase
                                      : ScriptMemory::kSize - 1 - rng() % code.size();
        const Outcome plain = runOne(plainRig, code, at, false);
        const Outcome recorded = runOne(recordedRig, code, at, true);
        std::string trace = "round " + std::to_string(round) + " at " + std::to_string(at) + ":";
        for (uint8_t b : code) trace += " " + std::to_string(b);
        SCOPED_TRACE(trace);
        ASSERT_EQ(plain.pc, recorded.pc);
        ASSERT_EQ(plain.codeBase, recorded.codeBase);
        ASSERT_EQ(plain.instructions, 1u);
        ASSERT_EQ(recorded.instructions, 1u);
        ASSERT_EQ(plain.stackDepth, recorded.stackDepth);
        ASSERT_EQ(plain.randomState, recorded.randomState);
        ASSERT_EQ(plain.halted, recorded.halted);
        ASSERT_EQ(plain.fatals, recorded.fatals);
        ASSERT_TRUE(plain.state == recorded.state);
        // Untouched, the control word keeps the recording bits of its run.
        if (plain.controlWord == recorded.controlWord) ++controlWrites;
        else ASSERT_EQ(plain.controlWord | kRecordingBits, recorded.controlWord);
        if (at != ScriptMemory::kCodeBase) ++cut;
    }
    EXPECT_GT(cut, 7500);
    EXPECT_GT(controlWrites, 500);
}

// A register list that writes the recording bits into the control word
// records the rest of its own bytes: the continuation byte, the next value's
// expression and the list's end.
TEST(Interpreter, RegisterListThatStartsRecordingRecordsItsRest) {
    ScriptRig rig;
    ScriptMemory& m = rig.machine.memory;
    rig.machine.setWritePos(kLogArea);
    rig.machine.setRecord(0, {1, kLogArea, 0});
    // The end instruction's opcode is recorded too.
    const Bytes rest = cat({{1}, num(7), {0}, {0}});
    rig.run(cat({{4, reg16::kControlWord}, num(kRecordingBits), rest}));
    EXPECT_EQ(m.reg16(reg16::kControlWord + 1), 7);
    EXPECT_EQ(rig.machine.record(0).length, rest.size());
    ASSERT_EQ(rig.machine.writePos(), kLogArea + rest.size());
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), m.data() + kLogArea));
    EXPECT_TRUE(rig.host.fatals.empty());
}

} // namespace
} // namespace fer::test

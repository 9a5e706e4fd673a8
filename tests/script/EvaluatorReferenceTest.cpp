#include <gtest/gtest.h>

#include <random>

#include "ExpressionParser.h"
#include "ScriptRig.h"
#include "core/ExpressionOperators.h"
#include "script/ScriptMessages.h"

namespace fer::test {
namespace {

// The evaluator written as plainly as possible: every byte through one
// checked reader, every push and pop checked, the halt looked at after every
// token. The engine's evaluator keeps its state in registers and checks less
// often; it must end in the same state as this one for any bytes: the same
// value, pc, stack depth, halt and fatal texts.
class PlainEvaluator {
  public:
    PlainEvaluator(ScriptMachine& machine, uint32_t tickCount)
        : machine_(machine), tickCount_(tickCount) {}

    uint32_t evaluate() {
        for (;;) {
            const uint8_t b = next();
            if (halted) return 0;
            if (b < 0x80) {
                push(b);
                continue;
            }
            uint32_t l, r;
            switch (b) {
            case 0x80: push(machine_.memory.reg16(next())); break;
            case 0xA0: {
                const uint8_t k = next();
                push(machine_.wordElement(k, pop()));
                break;
            }
            case 0xC0: {
                const uint8_t k = next();
                push(machine_.byteElement(k, pop()));
                break;
            }
            case 0xE5: {
                uint32_t range = next();
                range |= uint32_t{next()} << 8;
                const uint32_t s = randomState;
                randomState = tickCount_ + (s >> 16) * ((s >> 8) & 0xFF) + (s & 0xFFFF) * (s & 0xFF);
                push(range == 0 ? 0 : randomState % range);
                break;
            }
            case 0xF1: {
                uint32_t v = next();
                push(v | uint32_t{next()} << 8);
                break;
            }
            case 0xF2: {
                uint32_t v = 0;
                for (int i = 0; i < 4; ++i) v |= uint32_t{next()} << (8 * i);
                push(v);
                break;
            }
            case 0xF3: {
                uint32_t n = next();
                push(machine_.memory.flag(n | uint32_t{next()} << 8));
                break;
            }
            case 0xF4: push(machine_.memory.flag(pop())); break;
            case 0xF5: {
                const uint8_t k = next();
                push(machine_.dwordElement(k, pop()));
                break;
            }
            case 0xF6: push(machine_.memory.reg32(next())); break;
            case 0xFF: {
                const uint32_t result = pop();
                if (depth != 0) fail(script_text::kStackErrorTitle, script_text::kStackLeftText);
                return halted ? 0 : result;
            }
            default:
                if (b >= 0xE0 && b <= 0xF0) {
                    r = pop();
                    l = pop();
                    // The operators' one table, as the constant folding uses it.
                    push(mes::applyOperator(b, l, r));
                } else {
                    push(b);
                }
                break;
            }
        }
    }

    std::vector<std::pair<std::string, std::string>> fatals;
    uint32_t depth = 0;
    uint32_t randomState = 0;
    bool halted = false;

  private:
    void fail(std::string_view title, std::string_view text) {
        if (halted) return;
        halted = true;
        fatals.emplace_back(title, text);
    }
    uint8_t next() {
        const uint32_t pc = machine_.pc();
        if (pc >= ScriptMemory::kSize) {
            fail(script_text::kScriptErrorTitle, script_text::kPcOutsideText);
            return 0xFF;
        }
        machine_.setPc(pc + 1);
        return machine_.memory.byte(pc);
    }
    void push(uint32_t v) {
        if (depth >= Evaluator::kStackSize) {
            fail(script_text::kStackOverflowTitle, script_text::kStackOverflowText);
            return;
        }
        stack_[depth++] = v;
        if (depth == Evaluator::kStackSize)
            fail(script_text::kStackOverflowTitle, script_text::kStackOverflowText);
    }
    uint32_t pop() {
        if (depth == 0) {
            fail(script_text::kStackErrorTitle, script_text::kStackEmptyText);
            return 0;
        }
        return stack_[--depth];
    }

    ScriptMachine& machine_;
    uint32_t tickCount_;
    std::array<uint32_t, Evaluator::kStackSize> stack_{};
};

// Random tokens, well formed or not: literals, registers, flags, arrays,
// draws, every operator, stray end bytes, with long runs of literals now and
// then so that the stack fills.
Bytes randomTokens(std::mt19937& rng) {
    Bytes b;
    const int tokens = static_cast<int>(rng() % 24);
    for (int t = 0; t < tokens; ++t) {
        switch (rng() % 12) {
        case 0: b.insert(b.end(), {0x80, uint8_t(rng())}); break;
        case 1: b.insert(b.end(), {uint8_t(rng() % 2 ? 0xA0 : 0xC0), uint8_t(rng() % 8)}); break;
        case 2: b.insert(b.end(), {0xF5, uint8_t(rng() % 8)}); break;
        case 3: b.insert(b.end(), {0xF1, uint8_t(rng()), uint8_t(rng())}); break;
        case 4: b.insert(b.end(), {0xF2, uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0}); break;
        case 5: b.insert(b.end(), {0xF3, uint8_t(rng()), uint8_t(rng() % 2)}); break;
        case 6: b.insert(b.end(), {uint8_t(rng() % 2 ? 0xF4 : 0xF6), uint8_t(rng())}); break;
        case 7: b.insert(b.end(), {0xE5, uint8_t(rng()), uint8_t(rng() % 2)}); break;
        case 8:
        case 9: b.push_back(uint8_t(0xE0 + rng() % 17)); break;
        case 10:
            if (rng() % 16 == 0) b.insert(b.end(), 1020 + rng() % 8, uint8_t(rng() % 0x80));
            else b.push_back(uint8_t(rng()));
            break;
        default: b.push_back(uint8_t(rng() % 0x80)); break;
        }
    }
    if (rng() % 4 != 0) b.push_back(0xFF);
    return b;
}

TEST(Evaluator, EndsInTheStateOfThePlainEvaluatorForAnyBytes) {
    std::mt19937 rng(20261208);
    int failures = 0, outside = 0;
    // One machine for the engine's evaluator and a copy for the plain one,
    // kept from round to round: only the code bytes are cleared after each.
    ScriptRig rig;
    ScriptMachine copy;
    for (int round = 0; round < 6000; ++round) {
        const Bytes code = randomTokens(rng);
        // Every few rounds the bytes end at the end of the memory, so that
        // reads run past it inside a token and between tokens.
        const bool atEnd = round % 5 == 0;
        const uint32_t at = atEnd ? ScriptMemory::kSize - static_cast<uint32_t>(code.size())
                                  : ScriptMemory::kCodeBase;
        rig.host.fatals.clear();
        rig.host.tickTotal = static_cast<uint32_t>(rng());
        for (uint32_t i = 0; i < 8; ++i) {
            const uint32_t offset = ScriptMemory::kFlagBase + rng() % 0x900;
            const uint8_t value = uint8_t(rng());
            rig.machine.memory.setByte(offset, value);
            copy.memory.setByte(offset, value);
        }
        rig.machine.memory.setControlWord(0); // nothing recorded
        copy.memory.setControlWord(0);
        rig.load(code, at);
        std::copy(code.begin(), code.end(), copy.memory.data() + at);
        copy.setPc(at);
        Evaluator evaluator(rig.machine, rig.host);
        evaluator.setRandomState(static_cast<uint32_t>(rng()));
        PlainEvaluator reference(copy, rig.host.tickTotal);
        reference.randomState = evaluator.randomState();

        // Two evaluations in a row: the second starts from whatever the first
        // left (a halt, a stack that was not emptied).
        for (int pass = 0; pass < 2; ++pass) {
            const uint32_t value = evaluator.evaluate();
            const uint32_t expected = reference.evaluate();
            const bool same = value == expected && rig.machine.pc() == copy.pc() &&
                              evaluator.stackDepth() == reference.depth &&
                              evaluator.halted() == reference.halted &&
                              evaluator.randomState() == reference.randomState &&
                              rig.host.fatals == reference.fatals;
            ASSERT_TRUE(same) << "round " << round << " pass " << pass << " "
                              << ::testing::PrintToString(code) << "\nvalue " << value << " / "
                              << expected << ", pc " << rig.machine.pc() << " / " << copy.pc()
                              << ", depth " << evaluator.stackDepth() << " / " << reference.depth
                              << ", halted " << evaluator.halted() << " / " << reference.halted
                              << ", fatals " << rig.host.fatals.size() << " / "
                              << reference.fatals.size();
        }
        failures += reference.halted;
        outside += copy.pc() >= ScriptMemory::kSize;
        std::fill(rig.machine.memory.data() + at, rig.machine.memory.data() + at + code.size(), 0);
        std::fill(copy.memory.data() + at, copy.memory.data() + at + code.size(), 0);
    }
    // The random bytes reach every kind of ending.
    EXPECT_GT(failures, 1000);
    EXPECT_GT(outside, 100);
}

} // namespace
} // namespace fer::test

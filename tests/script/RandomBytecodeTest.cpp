#include <gtest/gtest.h>

#include <random>

#include "ScriptFuzzTarget.h"
#include "ScriptRig.h"

namespace fer::test {
namespace {

// After the window closes, every nested loop still makes its last pass.
constexpr uint64_t kBudget = kFuzzPumpLimit + 2 * Interpreter::kMaxDepth;

// Random bytes, and random sequences of well-formed instructions with random
// operands, run to their end without a crash, a hang or an access outside
// the machine's memory (the sanitizer build checks the last).
TEST(RandomBytecode, ArbitraryBytesEndWithinTheirBudget) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20000; ++round) {
        Bytes code(1 + rng() % 512);
        for (auto& b : code) b = static_cast<uint8_t>(rng());
        EXPECT_LE(runScriptBytes(code.data(), code.size()), kBudget);
    }
}

Bytes randomExpression(std::mt19937& rng, int depth = 0) {
    const int kind = static_cast<int>(rng() % 8);
    if (depth > 3 || kind < 3) return lit(rng() % 3 == 0 ? rng() : rng() % 200);
    switch (kind) {
    case 3: return {0x80, uint8_t(rng())};
    case 4: return {0xF6, uint8_t(rng())};
    case 5: return cat({lit(rng() % 4000), {0xF4}});
    case 6: return cat({randomExpression(rng, depth + 1), {0xF5, uint8_t(rng())}});
    default:
        return cat({randomExpression(rng, depth + 1),
                    randomExpression(rng, depth + 1),
                    {uint8_t(0xE0 + rng() % 17)}});
    }
}

Bytes randomInstruction(std::mt19937& rng, uint32_t codeSize) {
    auto expr = [&] { return cat({randomExpression(rng), {0xFF}}); };
    auto target = [&] { return u32(rng() % (codeSize + 8)); };
    auto args = [&] {
        Bytes b;
        const int n = static_cast<int>(rng() % 4);
        for (int i = 0; i < n; ++i)
            b = cat({b, rng() % 3 ? cat({{2}, expr()}) : argText(std::string(rng() % 30, 'a'))});
        return cat({b, {0}});
    };
    switch (rng() % 14) {
    case 0: return cat({{0x03}, u16(rng()), expr(), {0}});
    case 1: return cat({{0x04, uint8_t(rng())}, expr(), {1}, expr(), {0}});
    case 2: return cat({{0x05}, expr(), expr(), {0}});
    case 3: return cat({{uint8_t(6 + rng() % 3)}, expr(), {uint8_t(rng())}, expr(), {0}});
    case 4: return cat({{0x09}, expr(), target()});
    case 5: return cat({{0x0A}, target()});
    case 6: return cat({{0x0B}, lit(rng() % 22), {0xFF}, args()});
    case 7: return cat({{0x0E}, args(), target()});
    case 8: return cat({{0x0F}, args()});
    case 9: return cat({{0x12}, expr(), target()});
    case 10: return {0x13};
    case 11: return {0x01, 0xB0, 0xA1, 0x00};
    case 12: return {0x11, uint8_t(rng() % 2)};
    default: return cat({{0x14, uint8_t(rng())}, expr(), {0}});
    }
}

TEST(RandomBytecode, RandomInstructionSequencesEndWithinTheirBudget) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes code;
        const int count = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < count; ++i) code = cat({code, randomInstruction(rng, 400)});
        code.push_back(0);
        EXPECT_LE(runScriptBytes(code.data(), code.size()), kBudget);
    }
}

} // namespace
} // namespace fer::test

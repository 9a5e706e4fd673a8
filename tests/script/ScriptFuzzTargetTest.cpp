// The script fuzz target's machine: the real commands stand behind it, one
// machine serves every input without carrying one input's end into the
// next, and every input ends within its pass bound.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "Assembler.h"
#include "ScriptFuzzTarget.h"
#include "SourceLoader.h"
#include "graphics/PlaneSet.h"
#include "script/Interpreter.h"

namespace fer {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes assemble(std::string_view source) {
    auto charset = mes::Charset::open("gb2312");
    mes::Assembler assembler(*charset, mes::fileSourceLoader());
    mes::AssemblyResult result = assembler.assembleText("test.mes", source);
    EXPECT_TRUE(result.ok());
    return result.code;
}

Bytes withState(const Bytes& code, uint8_t options = 0) {
    Bytes input(kScriptStateBytes + code.size(), 0);
    input[0] = options;
    std::copy(code.begin(), code.end(), input.begin() + kScriptStateBytes);
    return input;
}

uint64_t litPixels(const PlaneSet& planes) {
    uint64_t lit = 0;
    const VramPlane& plane = planes[0];
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 640; ++x) lit += plane.at(x, y) != 0;
    return lit;
}

TEST(ScriptFuzzTarget, TextReachesThePlanesThroughTheRealCommands) {
    VramPlane& plane = scriptFuzzPlanes()[0];
    for (int y = 0; y < 64; ++y) std::fill_n(plane.row(y), plane.width(), 0);
    const Bytes input = withState(assemble("text \"风筝飞得很高。\"\nend\n"));
    runScriptInput(input.data(), input.size());
    EXPECT_GT(litPixels(scriptFuzzPlanes()), 0u);
}

TEST(ScriptFuzzTarget, ALoopEndsAtThePassBoundAndTheNextInputRunsAfresh) {
    const Bytes loop = withState(assemble("top:\ngoto top\n"));
    const Bytes counted = withState(assemble("r16[8] = 0\nagain:\nr16[8] = r16[8] + 1\n"
                                             "if r16[8] < 20 goto again\nend\n"));
    const uint64_t first = runScriptInput(counted.data(), counted.size());
    EXPECT_LT(first, kFuzzInputPumpLimit);
    EXPECT_GE(runScriptInput(loop.data(), loop.size()), kFuzzInputPumpLimit);
    EXPECT_LE(runScriptInput(loop.data(), loop.size()),
              kFuzzInputPumpLimit + 2 * Interpreter::kMaxDepth);
    // The closed window of the endless loop does not end the next input early.
    EXPECT_EQ(runScriptInput(counted.data(), counted.size()), first);
}

TEST(ScriptFuzzTarget, AFatalErrorDoesNotHaltTheNextInput) {
    const Bytes counted = withState(assemble("r16[8] = 0\nagain:\nr16[8] = r16[8] + 1\n"
                                             "if r16[8] < 20 goto again\nend\n"));
    const uint64_t alone = runScriptInput(counted.data(), counted.size());
    const Bytes bad = withState({0x7F, 0x7F, 0x7F}); // no such instruction: a fatal error
    runScriptInput(bad.data(), bad.size());
    EXPECT_EQ(runScriptInput(counted.data(), counted.size()), alone);
    EXPECT_GT(alone, 20u);
}

TEST(ScriptFuzzTarget, RandomStatesAndCodeEndWithinTheirBound) {
    std::mt19937 rng(22);
    for (int round = 0; round < 3000; ++round) {
        Bytes input(kScriptStateBytes + rng() % 400);
        for (auto& b : input) b = static_cast<uint8_t>(rng());
        EXPECT_LE(runScriptInput(input.data(), input.size()),
                  kFuzzInputPumpLimit + 2 * Interpreter::kMaxDepth);
    }
}

TEST(ScriptFuzzTarget, SavesOfRandomBytesLoadWithinTheirBound) {
    std::mt19937 rng(23);
    for (int operation = 0; operation < 4; ++operation) {
        const Bytes loader = assemble("save_state " + std::to_string(operation) + ", 1\nend\n");
        for (int round = 0; round < 200; ++round) {
            Bytes input(rng() % 5000);
            for (auto& b : input) b = static_cast<uint8_t>(rng());
            if (input.size() > 8) std::memcpy(input.data(), "MAIN.MES", 8);
            EXPECT_LE(runSaveLoad(loader, round & 1, input.data(), input.size()),
                      kFuzzInputPumpLimit + 2 * Interpreter::kMaxDepth);
        }
    }
}

} // namespace
} // namespace fer

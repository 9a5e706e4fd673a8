// The fuzz entry point over the sample map and mutations of it: every input
// runs without touching memory outside script memory and the planes (the
// sanitizer build checks that) and ends.

#include <gtest/gtest.h>

#include <random>

#include "MapFuzzTarget.h"
#include "SampleMap.h"
#include "core/ScriptMemory.h"
#include "graphics/PlaneSet.h"

namespace fer::test {
namespace {

std::vector<uint8_t> sampleInput(std::mt19937& gen) {
    const mapgen::EncodedMap e = mapgen::sample::encoded();
    std::vector<uint8_t> in(fuzz::kMapFuzzHeader, 0);
    const uint32_t load = gen() % ScriptMemory::kCodeSize;
    for (int i = 0; i < 4; ++i) in[i] = uint8_t(load >> (8 * i));
    auto put16 = [&](size_t at, uint32_t v) {
        in[at] = uint8_t(v);
        in[at + 1] = uint8_t(v >> 8);
    };
    put16(9, e.mapBlock);
    put16(13, e.objectBlock);
    put16(17, e.triggerTable);
    for (size_t i = 21; i < 28; ++i) in[i] = uint8_t(gen());
    for (size_t i = 28; i < 61; ++i) in[i] = uint8_t(gen());
    in.insert(in.end(), e.bytes.begin(), e.bytes.end());
    return in;
}

TEST(MapFuzzRun, SampleMapAndMutations) {
    ScriptMemory memory;
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    std::mt19937 gen(4321);
    // The sample map as it is, loaded at the start of the code area: the first
    // drawing covers the whole 40 x 25 cells of the 640 x 400 screen.
    std::vector<uint8_t> sample = sampleInput(gen);
    std::fill(sample.begin(), sample.begin() + fuzz::kMapFuzzHeader, 0);
    const mapgen::EncodedMap e = mapgen::sample::encoded();
    for (const auto& [at, v] :
         {std::pair{9, e.mapBlock}, {13, e.objectBlock}, {17, e.triggerTable}}) {
        sample[size_t(at)] = uint8_t(v);
        sample[size_t(at) + 1] = uint8_t(v >> 8);
    }
    EXPECT_EQ(fuzz::mapCommands(memory, planes, sample.data(), sample.size()), 40 * 25);
    for (int i = 0; i < 400; ++i) {
        std::vector<uint8_t> in = sampleInput(gen);
        if (i % 8 == 0) in[4] = uint8_t(gen()); // raw register values
        if (i % 3 == 0) {
            // Load near the end of memory, so that everything runs off it.
            const uint32_t load = ScriptMemory::kCodeSize - 1 - gen() % 4096;
            for (int k = 0; k < 4; ++k) in[k] = uint8_t(load >> (8 * k));
        }
        const int edits = int(gen() % 40);
        for (int e = 0; e < edits; ++e) {
            const size_t at = fuzz::kMapFuzzHeader + gen() % (in.size() - fuzz::kMapFuzzHeader);
            in[at] = (gen() % 3 == 0) ? 0xFF : uint8_t(gen());
        }
        fuzz::mapCommands(memory, planes, in.data(), in.size());
    }
    // Short and empty inputs.
    fuzz::mapCommands(memory, planes, nullptr, 0);
    const uint8_t one = 0xFF;
    fuzz::mapCommands(memory, planes, &one, 1);
}

} // namespace
} // namespace fer::test

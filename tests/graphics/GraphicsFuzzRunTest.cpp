// The fuzz entry point over generated and mutated pictures: every input
// decodes and transfers without touching memory outside the planes (the
// sanitizer build checks that).

#include <gtest/gtest.h>

#include <random>

#include "GraphicsFuzzTarget.h"
#include "GraphicsTestSupport.h"
#include "graphics/PlaneSet.h"

namespace fer::test {
namespace {

TEST(GraphicsFuzzRun, GeneratedAndMutatedPictures) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    std::mt19937 gen(1234);
    const std::vector<Bytes> seeds = {
        makeBitmap(patternRows(33, 7), 256, 0, 10, 20),
        makeBitmap(patternRows(64, 12), 16, 16, 600, 390),
        makeLzssPicture(patternRows(33, 7), 10, 20),
        makeLzssPicture(patternRows(120, 40, 9), 560, 380),
    };
    // Each seed, at the position it stores (control byte 0 for a bitmap, 1 for
    // LZSS), reports the rectangle its header gives.
    const PictureRect expected[] = {
        {10, 20, 33, 7}, {600, 390, 64, 12}, {10, 20, 33, 7}, {560, 380, 120, 40}};
    for (size_t i = 0; i < seeds.size(); ++i) {
        Bytes input{static_cast<uint8_t>(i < 2 ? 0 : 1)};
        input.insert(input.end(), seeds[i].begin(), seeds[i].end());
        EXPECT_EQ(fuzz::imageLoader(planes, input.data(), input.size()), expected[i]) << i;
    }
    for (int i = 0; i < 3000; ++i) {
        Bytes input;
        input.push_back(static_cast<uint8_t>(gen()));
        if (i % 10 == 0) {
            input.resize(1 + gen() % 2000);
            for (auto& b : input) b = static_cast<uint8_t>(gen());
        } else {
            const Bytes& seed = seeds[gen() % seeds.size()];
            input.insert(input.end(), seed.begin(), seed.end());
            const int edits = 1 + static_cast<int>(gen() % 8);
            for (int e = 0; e < edits; ++e) {
                const size_t at = 1 + gen() % (input.size() - 1);
                switch (gen() % 4) {
                case 0: input[at] = static_cast<uint8_t>(gen()); break;
                case 1: input[at] = 0xFF; break;
                case 2: input.resize(at); break; // truncated
                default: input[at] ^= static_cast<uint8_t>(1u << (gen() % 8)); break;
                }
                if (input.size() < 2) break;
            }
        }
        fuzz::imageLoader(planes, input.data(), input.size());
    }
}

} // namespace
} // namespace fer::test

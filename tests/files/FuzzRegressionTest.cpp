// Runs the fuzz entry points over a few thousand generated and mutated
// inputs, so the sanitizer build checks them in every test run.

#include <gtest/gtest.h>

#include <random>

#include "FuzzTargets.h"
#include "TestData.h"
#include "files/ArcArchiveBuilder.h"
#include "files/LzssEncoder.h"

namespace fer {
namespace {

template <typename Target>
void runMutations(Target target, const std::vector<std::vector<uint8_t>>& seeds, int rounds) {
    std::mt19937 gen(1234);
    for (int i = 0; i < rounds; ++i) {
        std::vector<uint8_t> input = seeds[gen() % seeds.size()];
        switch (gen() % 4) {
        case 0: input.resize(input.empty() ? 0 : gen() % input.size()); break;
        case 1:
            for (int k = 0; k < 4 && !input.empty(); ++k)
                input[gen() % input.size()] = static_cast<uint8_t>(gen());
            break;
        case 2: input = test::randomBytes(gen() % 300, static_cast<uint32_t>(gen())); break;
        default: input.push_back(static_cast<uint8_t>(gen())); break;
        }
        target(input.data(), input.size());
    }
}

TEST(FuzzRegression, LzssDecoder) {
    std::vector<uint8_t> stream;
    LzssEncoder().encode(test::textLike(2000, 3), stream);
    stream.insert(stream.begin(), 200);
    // Into 200 x 37 bytes of room the whole text comes back.
    EXPECT_EQ(fuzz::lzssDecoder(stream.data(), stream.size()), 2000u);
    runMutations(fuzz::lzssDecoder, {stream, {0, 0x00, 0xFF, 0xFF}, {255, 0x00, 0xEE, 0xFF}}, 3000);
}

TEST(FuzzRegression, ArcArchive) {
    ArcArchiveBuilder builder;
    builder.add("MAIN.MES", test::randomBytes(100, 1));
    builder.add("A", test::randomBytes(10, 2));
    const std::vector<uint8_t> built = builder.build();
    EXPECT_TRUE(fuzz::arcArchive(built.data(), built.size()));
    const uint8_t none[4] = {0xFF, 0xFF, 0xFF, 0xFF}; // more entries than the file holds
    EXPECT_FALSE(fuzz::arcArchive(none, sizeof none));
    runMutations(fuzz::arcArchive, {built, {0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}}, 2000);
}

TEST(FuzzRegression, SettingsText) {
    std::string ini = "[Config]\r\nTITLE=\"x\"\r\nMOVE=1\r\n;c\n[FILE]\rbARCMES=1\r\n";
    runMutations(fuzz::settingsText, {{ini.begin(), ini.end()}, {'['}, {'=', '\r'}}, 3000);
}

} // namespace
} // namespace fer

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

TEST(BuildTimeAssembly, ScriptCompiledByTheBuildHasTheExpectedBytes) {
    std::ifstream in(MES_SAMPLE_BINARY, std::ios::binary);
    ASSERT_TRUE(in) << MES_SAMPLE_BINARY;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<uint8_t> expected = {0x04, 0x0A, 0x01, 0xFF, 0x00,       // r16[10] = 1
                                     0x01, 0xC4, 0xE3, 0xBA, 0xC3, 0x00, // text
                                     0x0B, 0x0B, 0xFF, 0x00,             // wait
                                     0x00};                              // end
    EXPECT_EQ(bytes, expected);
}

} // namespace

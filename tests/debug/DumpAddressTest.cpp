#include <gtest/gtest.h>

#include "core/ScriptMemory.h"
#include "debug/DumpAddress.h"

namespace fer {
namespace {

TEST(DumpAddress, DecimalNumbersThatKeepTheDumpInside) {
    EXPECT_EQ(parseDumpAddress("4096", 80), std::optional<uint32_t>(4096));
    EXPECT_EQ(parseDumpAddress("  0 ", 80), std::optional<uint32_t>(0));
    EXPECT_EQ(parseDumpAddress("007", 80), std::optional<uint32_t>(7));
    const uint32_t last = ScriptMemory::kSize - 80;
    EXPECT_EQ(parseDumpAddress(std::to_string(last), 80), std::optional<uint32_t>(last));
}

TEST(DumpAddress, AnythingElseIsRefused) {
    for (const char* text : {"", "   ", "abc", "12a", "0x10", "-1", "+5", "1 2", "1.5"})
        EXPECT_EQ(parseDumpAddress(text, 80), std::nullopt) << text;
    EXPECT_EQ(parseDumpAddress(std::to_string(ScriptMemory::kSize - 79), 80), std::nullopt);
    EXPECT_EQ(parseDumpAddress("99999999999999999999999999", 80), std::nullopt);
    EXPECT_EQ(parseDumpAddress("0", ScriptMemory::kSize + 1), std::nullopt);
}

} // namespace
} // namespace fer

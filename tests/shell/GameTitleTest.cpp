#include <gtest/gtest.h>

#include "shell/GameTitle.h"

namespace fer {
namespace {

// Every existing game's settings file holds its title in the build's code
// page; the window and the player's folder need UTF-8.
TEST(GameTitle, ComesFromTheBuildsCodePageIntoUtf8) {
    EXPECT_EQ(gameTitleInUtf8("\xB7\xE7\xD5\xF0", kGb2312Variant), "风震");         // GB2312
    EXPECT_EQ(gameTitleInUtf8("\x95\x97\x82\xC6\x82\xB1", kShiftJisVariant), "風とこ"); // Shift-JIS
    EXPECT_EQ(gameTitleInUtf8("Kite 2", kGb2312Variant), "Kite 2");
    // Already UTF-8 (not valid in the code page) stays; bytes that are neither go.
    EXPECT_EQ(gameTitleInUtf8("\xE9\xA3\x8E", kShiftJisVariant), "\xE9\xA3\x8E");
    EXPECT_EQ(gameTitleInUtf8("A\xFF" "B", kShiftJisVariant), "AB");
}

} // namespace
} // namespace fer

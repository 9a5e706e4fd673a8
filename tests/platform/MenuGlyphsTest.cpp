// The glyph set of the menu font and its ranges.

#include <gtest/gtest.h>

#include <string>

#include "platform/MenuModel.h"
#include "platform/sdl/MenuGlyphs.h"

namespace fer {
namespace {

// Checks the ranges are ascending, disjoint, non-adjacent pairs ending in 0.
void expectWellFormed(const std::vector<uint16_t>& r) {
    ASSERT_FALSE(r.empty());
    ASSERT_EQ(r.back(), 0);
    ASSERT_EQ(r.size() % 2, 1u);
    for (size_t i = 0; i + 1 < r.size(); i += 2) {
        EXPECT_LE(r[i], r[i + 1]);
        EXPECT_NE(r[i], 0);
        if (i >= 2) {
            EXPECT_GT(r[i], r[i - 1] + 1) << "runs " << i / 2 << " should have merged";
        }
    }
}

bool covered(const std::vector<uint16_t>& r, char32_t c) {
    for (size_t i = 0; i + 1 < r.size(); i += 2)
        if (c >= r[i] && c <= r[i + 1]) return true;
    return false;
}

TEST(MenuGlyphs, HoldsEveryCharacterOfBothMenus) {
    for (bool debug : {false, true}) {
        MenuGlyphs g;
        EXPECT_TRUE(g.add(engineMenu(debug)));
        const auto ranges = g.ranges();
        expectWellFormed(ranges);
        for (char32_t c : decodeUtf8("环境设定音乐声移动速度慢普通快辅助地图常省略ＯＮＦ")) {
            EXPECT_TRUE(g.contains(c)) << static_cast<uint32_t>(c);
            EXPECT_TRUE(covered(ranges, c)) << static_cast<uint32_t>(c);
        }
        EXPECT_FALSE(g.contains(U'结')); // not in the menus
        EXPECT_FALSE(covered(ranges, U'结'));
    }
}

TEST(MenuGlyphs, PrintableAsciiIsOneRun) {
    MenuGlyphs g;
    const auto r = g.ranges();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], 0x20);
    EXPECT_EQ(r[1], 0x7E);
}

TEST(MenuGlyphs, AddReportsOnlyNewCharacters) {
    MenuGlyphs g;
    g.add(engineMenu(true));
    const size_t before = g.size();
    EXPECT_FALSE(g.add("Help 环境")); // all there already
    EXPECT_EQ(g.size(), before);
    EXPECT_TRUE(g.add("结束游戏吗？"));
    EXPECT_TRUE(g.contains(U'？'));
    EXPECT_FALSE(g.add("结束游戏吗？"));
    EXPECT_FALSE(g.add("\n\t")); // control characters have no glyphs
}

TEST(MenuGlyphs, CharactersBeyondTheBasicPlaneStayOutOfTheRanges) {
    MenuGlyphs g;
    EXPECT_TRUE(g.add("\xF0\x9F\x98\x80")); // U+1F600
    EXPECT_TRUE(g.contains(U'\U0001F600'));
    const auto r = g.ranges();
    expectWellFormed(r);
    EXPECT_EQ(r.size(), 3u);
}

TEST(MenuGlyphs, MalformedUtf8IsSkippedWithoutReadingPastTheEnd) {
    EXPECT_EQ(decodeUtf8("a\xE7\xBB"), std::vector<char32_t>{U'a'}); // truncated
    EXPECT_EQ(decodeUtf8("\xC0\xAF"
                         "b"),
              std::vector<char32_t>{U'b'}); // overlong '/'
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80"
                         "c"),
              std::vector<char32_t>{U'c'}); // surrogate
    EXPECT_EQ(decodeUtf8("\x80\xBF"
                         "d"),
              std::vector<char32_t>{U'd'}); // stray continuations
    EXPECT_EQ(decodeUtf8("\xE7"
                         "e"
                         "\xBB"),
              std::vector<char32_t>{U'e'});                             // broken sequence
    EXPECT_EQ(decodeUtf8("\xF4\x90\x80\x80"), std::vector<char32_t>{}); // above U+10FFFF
    EXPECT_EQ(decodeUtf8("结"), std::vector<char32_t>{U'结'});
    EXPECT_TRUE(decodeUtf8("").empty());
}

} // namespace
} // namespace fer

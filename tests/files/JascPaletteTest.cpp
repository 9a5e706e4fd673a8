#include <gtest/gtest.h>

#include "files/JascPalette.h"

namespace fer {
namespace {

TEST(JascPalette, ReadsColoursWithAnyLineEnds) {
    const auto p = parseJascPalette("JASC-PAL\r\n0100\r\n2\r\n255 0 10\r\n1  2\t3\n");
    ASSERT_TRUE(p);
    ASSERT_EQ(p->size(), 2u);
    EXPECT_EQ((*p)[0], (RgbColour{255, 0, 10}));
    EXPECT_EQ((*p)[1], (RgbColour{1, 2, 3}));
    EXPECT_TRUE(parseJascPalette("\xEF\xBB\xBFJASC-PAL\n0100\n0\n"));
}

TEST(JascPalette, RejectsWhatIsNotOne) {
    const char* bad[] = {"",
                         "JASC-PAL\n0100\n",
                         "PAL\n0100\n1\n0 0 0\n",
                         "JASC-PAL\n0200\n1\n0 0 0\n",
                         "JASC-PAL\n0100\n257\n",
                         "JASC-PAL\n0100\n2\n0 0 0\n",
                         "JASC-PAL\n0100\n1\n0 0 256\n",
                         "JASC-PAL\n0100\n1\n0 0\n",
                         "JASC-PAL\n0100\n1\n0 0 0 0\n",
                         "JASC-PAL\n0100\n-1\n"};
    for (const char* text : bad) EXPECT_FALSE(parseJascPalette(text)) << text;
}

} // namespace
} // namespace fer

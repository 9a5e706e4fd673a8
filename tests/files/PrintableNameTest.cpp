#include "files/PrintableName.h"

#include <gtest/gtest.h>

namespace fer {
namespace {

// The expected characters are what iconv(1) makes of the bytes.
TEST(PrintableName, NamesAreConvertedToUtf8) {
    EXPECT_EQ(printableName("DIR\\MAIN.MES", NameCharset::kGbk), "DIR\\MAIN.MES");
    EXPECT_EQ(printableName("\xB2\xE2\xCA\xD4.MES", NameCharset::kGbk), "测试.MES");
    // A half-width katakana is one byte in Shift-JIS; 表 has the trail byte 5C.
    EXPECT_EQ(printableName("\x83\x65\x83\x58\x83\x67\xB1", NameCharset::kShiftJis), "テストｱ");
    EXPECT_EQ(printableName("\x95\x5C.MES", NameCharset::kShiftJis), "表.MES");
    // Code page 936 has the euro sign at 80.
    EXPECT_EQ(printableName("\x80\x40", NameCharset::kGbk), "€@");
}

TEST(PrintableName, ControlAndStrayBytesAreEscaped) {
    EXPECT_EQ(printableName(std::string_view("A\x1B[2J\n\0B", 8), NameCharset::kGbk),
              "A\\x1B[2J\\x0A\\x00B");
    EXPECT_EQ(printableName("\x7F\xFF", NameCharset::kGbk), "\\x7F\\xFF");
    // A lead byte at the end, or before a byte that cannot follow it.
    EXPECT_EQ(printableName("X\xB2", NameCharset::kGbk), "X\\xB2");
    EXPECT_EQ(printableName("\xB2\x0A", NameCharset::kGbk), "\\xB2\\x0A");
    // Half-width katakana are no characters of the GB2312 build; 0xFD is
    // no lead byte of Shift-JIS.
    EXPECT_EQ(printableName("\xB1", NameCharset::kGbk), "\\xB1");
    EXPECT_EQ(printableName("\xFD\x41", NameCharset::kShiftJis), "\\xFDA");
    // Pairs the code page does not use.
    EXPECT_EQ(printableName("\xE0\x40\xEF\x40", NameCharset::kShiftJis), "漾\\xEF@");
    EXPECT_EQ(printableName("\x81\xA1\xFE\xA1", NameCharset::kGbk), "仭\\xFE\\xA1");
}

TEST(PrintableName, LeadByteRangesAreTheBuilds) {
    // Shift-JIS lead bytes 81..9F and E0..EF; GB2312 81..FE.
    EXPECT_EQ(printableName("\x81\x40\x9F\x40", NameCharset::kShiftJis), "　檗");
    EXPECT_EQ(printableName("\xF0\x40", NameCharset::kShiftJis), "\\xF0@");
    EXPECT_EQ(printableName("\xA0\x40", NameCharset::kShiftJis), "\\xA0@");
    EXPECT_EQ(printableName("\x80\x40", NameCharset::kShiftJis), "\\x80@");
    // The last trail byte of each.
    EXPECT_EQ(printableName("\x81\xFC", NameCharset::kShiftJis), "◯");
    EXPECT_EQ(printableName("\x81\xFE", NameCharset::kGbk), "侢");
}

TEST(PrintableName, CharsetOfTheBuild) {
    EXPECT_EQ(nameCharsetFor("CP932"), NameCharset::kShiftJis);
    EXPECT_EQ(nameCharsetFor("CP936"), NameCharset::kGbk);
}

} // namespace
} // namespace fer

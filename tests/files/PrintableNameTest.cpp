#include "files/PrintableName.h"

#include <gtest/gtest.h>

namespace fer {
namespace {

TEST(PrintableName, PlainNamesAreUnchanged) {
    EXPECT_EQ(printableName("DIR\\MAIN.MES", NameCharset::kGbk), "DIR\\MAIN.MES");
    // "测试" in GB2312.
    EXPECT_EQ(printableName("\xB2\xE2\xCA\xD4.MES", NameCharset::kGbk), "\xB2\xE2\xCA\xD4.MES");
    // "テスト" in Shift-JIS, and a half-width katakana.
    EXPECT_EQ(printableName("\x83\x65\x83\x58\x83\x67\xB1", NameCharset::kShiftJis),
              "\x83\x65\x83\x58\x83\x67\xB1");
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
}

TEST(PrintableName, LeadByteRangesEndExactlyAtTheirEdges) {
    // Shift-JIS lead bytes 0x81..0x9F and 0xE0..0xFC; GBK 0x81..0xFE.
    EXPECT_EQ(printableName("\x81\x40\x9F\x40", NameCharset::kShiftJis), "\x81\x40\x9F\x40");
    EXPECT_EQ(printableName("\xE0\x40\xFC\x40", NameCharset::kShiftJis), "\xE0\x40\xFC\x40");
    EXPECT_EQ(printableName("\xA0\x40", NameCharset::kShiftJis), "\\xA0@");
    EXPECT_EQ(printableName("\x80\x40", NameCharset::kShiftJis), "\\x80@");
    EXPECT_EQ(printableName("\x81\xA1\xFE\xA1", NameCharset::kGbk), "\x81\xA1\xFE\xA1");
    EXPECT_EQ(printableName("\x80\x40", NameCharset::kGbk), "\\x80@");
    // The last trail byte of each.
    EXPECT_EQ(printableName("\x81\xFC", NameCharset::kShiftJis), "\x81\xFC");
    EXPECT_EQ(printableName("\x81\xFE", NameCharset::kGbk), "\x81\xFE");
}

TEST(PrintableName, CharsetOfTheBuild) {
    EXPECT_EQ(nameCharsetFor("CP932"), NameCharset::kShiftJis);
    EXPECT_EQ(nameCharsetFor("CP936"), NameCharset::kGbk);
}

} // namespace
} // namespace fer

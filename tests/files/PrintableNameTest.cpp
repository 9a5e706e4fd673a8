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

TEST(PrintableName, CharsetOfTheBuild) {
    EXPECT_EQ(nameCharsetFor("CP932"), NameCharset::kShiftJis);
    EXPECT_EQ(nameCharsetFor("CP936"), NameCharset::kGbk);
}

} // namespace
} // namespace fer

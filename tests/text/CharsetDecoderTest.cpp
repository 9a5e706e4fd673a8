// The conversion of the builds' character codes to Unicode.

#include <gtest/gtest.h>

#include "graphics/CharsetDecoder.h"

namespace fer {
namespace {

TEST(CharsetDecoder, Gb2312BuildUsesTheGbkSuperset) {
    CharsetDecoder d;
    ASSERT_TRUE(d.open("CP936"));
    EXPECT_EQ(d.decodeDouble(0xD6, 0xD0), U'中');
    EXPECT_EQ(d.decodeDouble(0x81, 0x40), U'\u4E02'); // outside GB2312, inside GBK
    EXPECT_EQ(d.decodeDouble(0xA3, 0xB0), U'\uFF10');
    EXPECT_EQ(d.decodeSingle('A'), U'A');
}

TEST(CharsetDecoder, ShiftJisBuildUsesCp932) {
    CharsetDecoder d;
    ASSERT_TRUE(d.open("CP932"));
    EXPECT_EQ(d.decodeDouble(0x82, 0xA0), U'あ');
    EXPECT_EQ(d.decodeDouble(0x93, 0xFA), U'日');
    EXPECT_EQ(d.decodeDouble(0x87, 0x40), U'\u2460'); // a CP932 extension: circled 1
    EXPECT_EQ(d.decodeSingle(0xB1), U'\uFF71');       // half-width katakana
}

TEST(CharsetDecoder, BytesThatAreNotOneCharacterGiveNothing) {
    CharsetDecoder d;
    ASSERT_TRUE(d.open("CP932"));
    EXPECT_FALSE(d.decodeDouble(0x81, 0x20)); // trail byte out of range
    EXPECT_FALSE(d.decodeSingle(0x81));       // lead byte alone
    EXPECT_FALSE(d.decodeDouble(0x41, 0x42)); // two characters
    // The decoder is fine after a failure.
    EXPECT_EQ(d.decodeDouble(0x82, 0xA0), U'あ');
}

TEST(CharsetDecoder, UnknownCodePageOrClosedDecoderGivesNothing) {
    CharsetDecoder d;
    EXPECT_FALSE(d.decodeSingle('A'));
    EXPECT_FALSE(d.open("NO-SUCH-CODE-PAGE"));
    EXPECT_FALSE(d.decodeSingle('A'));
}

} // namespace
} // namespace fer

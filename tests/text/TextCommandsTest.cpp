// The text system commands and the cursor rule, run as scripts through the
// interpreter with a real renderer behind the host.

#include <gtest/gtest.h>

#include "TextRig.h"

namespace fer::test {
namespace {

std::vector<uint16_t> codes(const TextHost& host) {
    std::vector<uint16_t> out;
    for (const auto& d : host.drawn) out.push_back(d.code);
    return out;
}

TEST(NumberCommand, SevenWithCountZeroPrintsOneDigit) {
    TextRig gb(kGb2312Variant);
    gb.run(sys(1, {7}));
    EXPECT_EQ(codes(gb.host), (std::vector<uint16_t>{0xA3B7}));
    ASSERT_EQ(gb.font->requests.size(), 1u);
    EXPECT_EQ(gb.font->requests[0].codePoint, U'\uFF17'); // full-width 7

    TextRig sjis(kShiftJisVariant);
    sjis.run(sys(1, {7}));
    EXPECT_EQ(codes(sjis.host), (std::vector<uint16_t>{0x8256}));
    ASSERT_EQ(sjis.font->requests.size(), 1u);
    EXPECT_EQ(sjis.font->requests[0].codePoint, U'\uFF17');
}

TEST(NumberCommand, SevenWithCountThreePrints007) {
    TextRig rig(kGb2312Variant);
    rig.mem().setReg16(reg::kNumberOptions, 3);
    rig.mem().setReg16(reg::kCursorX, 32);
    rig.mem().setReg16(reg::kCursorY, 48);
    rig.run(sys(1, {7}));
    ASSERT_EQ(rig.host.drawn.size(), 3u);
    EXPECT_EQ(codes(rig.host), (std::vector<uint16_t>{0xA3B0, 0xA3B0, 0xA3B7}));
    EXPECT_EQ(rig.host.drawn[0].x, 32);
    EXPECT_EQ(rig.host.drawn[1].x, 48);
    EXPECT_EQ(rig.host.drawn[2].x, 64);
    EXPECT_EQ(rig.host.drawn[2].y, 48);
    EXPECT_EQ(rig.mem().reg16(reg::kCursorX), 80);
}

TEST(NumberCommand, HalfWidthDigitsAdvanceByHalf) {
    TextRig rig(kShiftJisVariant);
    rig.mem().setReg16(reg::kNumberOptions, 0x100 | 3);
    rig.run(sys(1, {7}));
    EXPECT_EQ(codes(rig.host), (std::vector<uint16_t>{0x30, 0x30, 0x37}));
    EXPECT_EQ(rig.host.drawn[1].x, 8);
    EXPECT_EQ(rig.host.drawn[2].x, 16);
    EXPECT_EQ(rig.mem().reg16(reg::kCursorX), 24);
    ASSERT_EQ(rig.font->requests.size(), 2u); // '0' once from the cache
    EXPECT_EQ(rig.font->requests[1].codePoint, U'7');
}

TEST(NumberCommand, DigitCountFollowsTheHighestDigit) {
    const std::pair<uint32_t, size_t> cases[] = {{0, 1}, {9, 1}, {10, 2}, {65535, 5}, {40000, 5}};
    for (auto [value, digits] : cases) {
        TextRig rig(kGb2312Variant);
        rig.run(sys(1, {value}));
        EXPECT_EQ(rig.host.drawn.size(), digits) << value;
    }
    // A count above 5 and a value above 65535 stay within five digits.
    TextRig rig(kGb2312Variant);
    rig.mem().setReg16(reg::kNumberOptions, 0xFF);
    rig.run(sys(1, {4294967295u}));
    EXPECT_EQ(codes(rig.host), (std::vector<uint16_t>{0xA3B6, 0xA3B7, 0xA3B2, 0xA3B9, 0xA3B5}));
}

TEST(NumberCommand, PresentsTheTextAreaOnlyOnPlaneZero) {
    TextRig rig(kGb2312Variant);
    rig.mem().setReg16(reg::kPlane, 0);
    rig.mem().setReg16(reg::kLeft, 10);
    rig.mem().setReg16(reg::kTop, 20);
    rig.mem().setReg16(reg::kRight, 329);
    rig.mem().setReg16(reg::kBottom, 119);
    rig.mem().setReg16(reg::kCursorX, 10);
    rig.mem().setReg16(reg::kCursorY, 20);
    rig.run(sys(1, {123}));
    ASSERT_EQ(rig.host.presents.size(), 1u);
    EXPECT_EQ(rig.host.presents[0], (std::array<int, 4>{10, 20, 320, 100}));

    TextRig off(kGb2312Variant);
    off.mem().setReg16(reg::kPlane, 2);
    off.run(sys(1, {123}));
    EXPECT_TRUE(off.host.presents.empty());
    EXPECT_EQ(off.host.drawn.at(0).plane, 2u);
}

TEST(NumberCommand, DrawsIntoTheTextPlaneWithTheTextStyle) {
    TextRig rig(kGb2312Variant);
    rig.font->draw = [](const GlyphRequest&, GlyphMask& m) { m.set(5, 5); };
    rig.mem().setReg16(reg::kPlane, 4);
    rig.mem().setReg16(reg::kStyle, 3);
    rig.mem().setReg16(reg::kCursorX, 200);
    rig.mem().setReg16(reg::kCursorY, 100);
    rig.run(sys(1, {1}));
    const uint8_t g = rig.renderer->glyphIndex();
    EXPECT_EQ(rig.planes[4].at(204, 106), g); // thickened left and down
    EXPECT_EQ(rig.planes[4].at(206, 105), 2);
    EXPECT_EQ(rig.planes[3].at(204, 106), 0);
}

TEST(FontSizeCommand, TakesRegisters40And41) {
    TextRig rig(kShiftJisVariant);
    rig.mem().setReg16(reg::kFontWidth, 24);
    rig.mem().setReg16(reg::kFontHeight, 20);
    rig.run(sys(0));
    EXPECT_EQ(rig.renderer->cellWidth(), 24);
    EXPECT_EQ(rig.renderer->cellHeight(), 20);
    rig.run(sys(1, {5}));
    EXPECT_EQ(rig.font->requests.at(0).pixelWidth, 24);
    EXPECT_EQ(rig.font->requests.at(0).pixelHeight, 20);
}

TEST(TextColourCommand, ScriptByteSetsBackgroundAndTextColour) {
    TextRig rig(kGb2312Variant);
    Palette p{};
    for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), 3, 3, 0};
    rig.renderer->refreshTextColours(p);
    rig.run(sys(12, {0x3C}));
    EXPECT_EQ(rig.mem().reg16(reg::kColours), 0x030C);
    EXPECT_EQ(rig.renderer->backgroundIndex(), 3);
    EXPECT_EQ(rig.renderer->foregroundIndex(), 12);
    EXPECT_EQ(rig.renderer->glyphIndex(), 12);
    rig.run(sys(12, {0x12}));
    EXPECT_EQ(rig.mem().reg16(reg::kColours), 0x0102);
}

// --- The cursor rule through the text instruction ---

TEST(TextCursor, FortyDoubleByteCharactersFillA640PixelLine) {
    TextRig rig(kGb2312Variant);
    rig.mem().setReg16(reg::kCursorX, 0);
    rig.mem().setReg16(reg::kCursorY, 0);
    rig.run(text(std::vector<uint16_t>(41, 0xB0A1)));
    ASSERT_EQ(rig.host.drawn.size(), 41u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(rig.host.drawn[i].x, 16 * i);
        EXPECT_EQ(rig.host.drawn[i].y, 0);
    }
    EXPECT_EQ(rig.host.drawn[40].x, 0);
    EXPECT_EQ(rig.host.drawn[40].y, 16);
    // The last character of the line is on the plane, not cut.
    EXPECT_EQ(rig.planes[3].at(625, 1), rig.renderer->glyphIndex());
}

TEST(TextCursor, LinePastTheBottomOfTheAreaWrapsToItsTop) {
    TextRig rig(kShiftJisVariant);
    rig.mem().setReg16(reg::kLeft, 100);
    rig.mem().setReg16(reg::kTop, 200);
    rig.mem().setReg16(reg::kRight, 164);  // 4 characters a line
    rig.mem().setReg16(reg::kBottom, 248); // 3 lines
    rig.mem().setReg16(reg::kCursorX, 100);
    rig.mem().setReg16(reg::kCursorY, 200);
    rig.run(text(std::vector<uint16_t>(13, 0x82A0)));
    ASSERT_EQ(rig.host.drawn.size(), 13u);
    EXPECT_EQ(rig.host.drawn[3].x, 148);
    EXPECT_EQ(rig.host.drawn[3].y, 200);
    EXPECT_EQ(rig.host.drawn[4].x, 100);
    EXPECT_EQ(rig.host.drawn[4].y, 216);
    EXPECT_EQ(rig.host.drawn[11].y, 232);
    EXPECT_EQ(rig.host.drawn[12].x, 100); // back at the top-left corner
    EXPECT_EQ(rig.host.drawn[12].y, 200);
}

TEST(TextCursor, CodeThatDoesNotConvertStillAdvances) {
    TextRig rig(kGb2312Variant);
    rig.mem().setReg16(reg::kCursorX, 0);
    rig.mem().setReg16(reg::kCursorY, 0);
    rig.run(text({0xB0A1, 0x8120, 0xB0A1}));
    ASSERT_EQ(rig.host.drawn.size(), 3u);
    EXPECT_EQ(rig.host.drawn[2].x, 32);
    EXPECT_EQ(rig.font->requests.size(), 1u); // 0xB0A1 once; 0x8120 is no character
}

} // namespace
} // namespace fer::test

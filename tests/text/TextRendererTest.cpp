// Drawing one character: which character is asked of the font, where its
// pixels and its shadow land, the styles, the colours and the glyph cache.

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "TextRig.h"

namespace fer::test {
namespace {

constexpr uint8_t kFill = 0x55; // what the plane held before
constexpr int kX = 100, kY = 50;

struct RendererRig {
    explicit RendererRig(const BuildVariant& variant = kGb2312Variant) {
        auto fake = std::make_unique<FakeRasterizer>();
        font = fake.get();
        renderer = std::make_unique<TextRenderer>(variant, std::move(fake));
        EXPECT_TRUE(renderer->initialise(errors));
        plane = VramPlane(640, 400);
        std::fill(plane.pixels(), plane.pixels() + plane.size(), kFill);
        // A palette in which every entry has its own colour.
        Palette p;
        for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
        renderer->refreshTextColours(p);
        renderer->setColours(0x0007);
    }
    // The pixels that differ from the fill, as (x - kX, y - kY) -> index.
    std::map<std::pair<int, int>, uint8_t> changed() const {
        std::map<std::pair<int, int>, uint8_t> out;
        for (int y = 0; y < plane.height(); ++y)
            for (int x = 0; x < plane.width(); ++x)
                if (plane.at(x, y) != kFill) out[{x - kX, y - kY}] = plane.at(x, y);
        return out;
    }

    struct Errors : FatalErrorHandler {
        void fatalError(std::string_view, std::string_view) override { ADD_FAILURE(); }
    } errors;
    FakeRasterizer* font = nullptr;
    std::unique_ptr<TextRenderer> renderer;
    VramPlane plane;
};

using Changes = std::map<std::pair<int, int>, uint8_t>;

// --- Which character the font is asked for ---

TEST(TextCharacters, SingleByteCodeAIsTheLetterInBothBuilds) {
    for (const BuildVariant* v : {&kGb2312Variant, &kShiftJisVariant}) {
        RendererRig rig(*v);
        rig.renderer->drawChar(rig.plane, 0x0041, kX, kY, 0);
        ASSERT_EQ(rig.font->requests.size(), 1u) << v->name;
        EXPECT_EQ(rig.font->requests[0].codePoint, U'A') << v->name;
    }
}

TEST(TextCharacters, Code8140IsDoubleByteInBothBuilds) {
    RendererRig gb(kGb2312Variant);
    gb.renderer->drawChar(gb.plane, 0x8140, kX, kY, 0);
    ASSERT_EQ(gb.font->requests.size(), 1u);
    EXPECT_EQ(gb.font->requests[0].codePoint, U'\u4E02'); // GBK 0x8140

    RendererRig sjis(kShiftJisVariant);
    sjis.renderer->drawChar(sjis.plane, 0x8140, kX, kY, 0);
    ASSERT_EQ(sjis.font->requests.size(), 1u);
    EXPECT_EQ(sjis.font->requests[0].codePoint, U'\u3000'); // the ideographic space
}

TEST(TextCharacters, CodeA1A1IsDoubleByteOnlyInTheGb2312Build) {
    RendererRig gb(kGb2312Variant);
    gb.renderer->drawChar(gb.plane, 0xA1A1, kX, kY, 0);
    ASSERT_EQ(gb.font->requests.size(), 1u);
    EXPECT_EQ(gb.font->requests[0].codePoint, U'\u3000');

    // In the Shift-JIS build 0xA1 is no lead byte: the low byte alone is the
    // half-width katakana full stop.
    RendererRig sjis(kShiftJisVariant);
    sjis.renderer->drawChar(sjis.plane, 0xA1A1, kX, kY, 0);
    ASSERT_EQ(sjis.font->requests.size(), 1u);
    EXPECT_EQ(sjis.font->requests[0].codePoint, U'\uFF61');
}

TEST(TextCharacters, HighByteThatIsNoLeadByteLeavesTheLowByteAlone) {
    RendererRig rig(kShiftJisVariant);
    rig.renderer->drawChar(rig.plane, 0x2042, kX, kY, 0);
    rig.renderer->drawChar(rig.plane, 0xF043, kX, kY, 0); // 0xF0 is no Shift-JIS lead byte
    ASSERT_EQ(rig.font->requests.size(), 2u);
    EXPECT_EQ(rig.font->requests[0].codePoint, U'B');
    EXPECT_EQ(rig.font->requests[1].codePoint, U'C');
}

TEST(TextCharacters, CodeThatDoesNotConvertDrawsNothing) {
    // A lead byte with a trail byte outside the code page, and a lead byte
    // alone as a single-byte code.
    for (uint16_t code : {uint16_t(0x8120), uint16_t(0x0081)}) {
        RendererRig rig(kGb2312Variant);
        rig.font->draw = [](const GlyphRequest&, GlyphMask& m) { m.set(3, 3); };
        rig.renderer->drawChar(rig.plane, code, kX, kY, 3);
        EXPECT_TRUE(rig.font->requests.empty()) << std::hex << code;
        EXPECT_TRUE(rig.changed().empty()) << std::hex << code;
    }
}

// --- Where the pixels land ---

TEST(TextPlacement, GlyphAndShadowNeverLeaveTheCell) {
    for (unsigned style = 0; style < 4; ++style) {
        for (uint16_t cell : {uint16_t(16), uint16_t(32), uint16_t(7)}) {
            RendererRig rig;
            rig.font->draw = [](const GlyphRequest&, GlyphMask& m) {
                for (int j = 0; j < 32; ++j) m.setRow(j, ~0u);
            };
            rig.renderer->setFontSize(cell, cell);
            rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, style);
            const Changes c = rig.changed();
            ASSERT_EQ(c.size(), size_t{cell} * cell) << "style " << style << " cell " << cell;
            for (const auto& [pos, index] : c) {
                EXPECT_TRUE(pos.first >= 0 && pos.first < cell && pos.second >= 0 &&
                            pos.second < cell)
                    << pos.first << "," << pos.second;
            }
        }
    }
}

TEST(TextPlacement, ShadowLiesOnePixelRightAndBelowTheStrokes) {
    RendererRig rig;
    rig.font->draw = [](const GlyphRequest&, GlyphMask& m) { m.set(5, 5); };
    rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, 0);
    const uint8_t g = rig.renderer->glyphIndex();
    EXPECT_EQ(rig.changed(), (Changes{{{5, 5}, g}, {{6, 5}, 2}, {{5, 6}, 2}}));
}

TEST(TextPlacement, StylesThickenTheStrokes) {
    const std::map<unsigned, std::set<std::pair<int, int>>> extra{
        {0, {}}, {1, {{4, 5}}}, {2, {{5, 6}}}, {3, {{4, 5}, {5, 6}, {4, 6}}}, {7, {}}};
    for (const auto& [style, added] : extra) {
        RendererRig rig;
        rig.font->draw = [](const GlyphRequest&, GlyphMask& m) { m.set(5, 5); };
        rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, style);
        const uint8_t g = rig.renderer->glyphIndex();
        Changes want{{{6, 5}, 2}, {{5, 6}, 2}, {{5, 5}, g}};
        for (const auto& p : added) want[p] = g; // the glyph covers its own shadow
        EXPECT_EQ(rig.changed(), want) << "style " << style;
    }
}

TEST(TextPlacement, Style3StrokeAtTheCellEdgeIsCutNotWrapped) {
    RendererRig rig;
    rig.renderer->setFontSize(32, 32);
    rig.font->draw = [](const GlyphRequest&, GlyphMask& m) {
        m.set(0, 31);
        m.set(31, 0);
    };
    rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, 3);
    const uint8_t g = rig.renderer->glyphIndex();
    // (0, 31) thickens neither left nor down; (31, 0) casts its shadow only
    // down and thickens left and down.
    EXPECT_EQ(
        rig.changed(),
        (Changes{
            {{0, 31}, g}, {{1, 31}, 2}, {{31, 0}, g}, {{30, 0}, g}, {{31, 1}, g}, {{30, 1}, g}}));
}

TEST(TextPlacement, CellsAtThePlaneEdgesAreClipped) {
    RendererRig rig;
    rig.font->draw = [](const GlyphRequest&, GlyphMask& m) {
        for (int j = 0; j < 32; ++j) m.setRow(j, ~0u);
    };
    const std::pair<int, int> origins[] = {{632, 100}, {-8, 100},  {100, 392},      {100, -8},
                                           {639, 399}, {70000, 5}, {-70000, -70000}};
    for (auto [x, y] : origins) {
        std::fill(rig.plane.pixels(), rig.plane.pixels() + rig.plane.size(), kFill);
        rig.renderer->drawChar(rig.plane, 0xB0A1, x, y, 3);
        for (const auto& [pos, index] : rig.changed()) {
            const int px = pos.first + kX, py = pos.second + kY;
            EXPECT_TRUE(px >= x && px < x + 16 && py >= y && py < y + 16)
                << "drawn at " << x << "," << y << " changed " << px << "," << py;
        }
        const size_t wanted = size_t(std::max(0, std::min(x + 16, 640) - std::max(x, 0))) *
                              size_t(std::max(0, std::min(y + 16, 400) - std::max(y, 0)));
        EXPECT_EQ(rig.changed().size(), wanted) << x << "," << y;
    }
}

// --- Colours ---

TEST(TextColours, GlyphTakesTheFirstEntryOfTheTextColour) {
    RendererRig rig;
    Palette p{};
    for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), 1, 1, 0};
    p[9] = p[30] = {10, 20, 30, 0};
    p[4] = {10, 20, 30, 77}; // the unused byte does not count
    rig.renderer->refreshTextColours(p);
    rig.renderer->setColours(0x001E); // text colour 30
    EXPECT_EQ(rig.renderer->glyphIndex(), 4);
    rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, 0);
    EXPECT_EQ(rig.plane.at(kX + 1, kY + 1), 4);
}

TEST(TextColours, RefreshForcesEntryOneWhiteAndEntryTwoBlack) {
    RendererRig rig;
    Palette p{};
    for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), 9, 9, 0};
    p[200] = {255, 255, 255, 0};
    p[201] = {0, 0, 0, 0};
    rig.renderer->refreshTextColours(p);
    rig.renderer->setColours(0x00C8); // white
    EXPECT_EQ(rig.renderer->glyphIndex(), 1);
    rig.renderer->setColours(0x00C9); // black
    EXPECT_EQ(rig.renderer->glyphIndex(), 2);
    rig.renderer->setColours(0x0001); // entry 1 is white whatever the screen shows
    rig.renderer->refreshTextColours(Palette{});
    EXPECT_EQ(rig.renderer->glyphIndex(), 1);
}

TEST(TextColours, TextColourEqualToTheBackgroundEntryDrawsNothing) {
    RendererRig rig;
    Palette p{};
    p[5] = p[7] = {40, 50, 60, 0};
    rig.renderer->refreshTextColours(p);
    rig.renderer->setColours(0x0507); // background 5, text 7: the first such colour is 5
    rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, 3);
    EXPECT_TRUE(rig.changed().empty());
}

// --- Sizes and the cache ---

TEST(TextSizes, Gb2312BuildKeeps16PixelGlyphsWhateverTheSize) {
    RendererRig rig(kGb2312Variant);
    rig.renderer->setFontSize(24, 28);
    rig.renderer->drawChar(rig.plane, 0xB0A1, kX, kY, 0);
    ASSERT_EQ(rig.font->requests.size(), 1u);
    EXPECT_EQ(rig.font->requests[0].pixelWidth, 16);
    EXPECT_EQ(rig.font->requests[0].pixelHeight, 16);
    EXPECT_EQ(rig.renderer->cellWidth(), 24);
    EXPECT_EQ(rig.renderer->cellHeight(), 28);
}

TEST(TextSizes, ShiftJisBuildUsesTheRequestedSizeUpTo32) {
    RendererRig rig(kShiftJisVariant);
    rig.renderer->setFontSize(24, 28);
    rig.renderer->drawChar(rig.plane, 0x82A0, kX, kY, 0);
    rig.renderer->setFontSize(1000, 65535);
    rig.renderer->drawChar(rig.plane, 0x82A0, kX, kY, 0);
    ASSERT_EQ(rig.font->requests.size(), 2u);
    EXPECT_EQ(rig.font->requests[0].pixelWidth, 24);
    EXPECT_EQ(rig.font->requests[0].pixelHeight, 28);
    EXPECT_EQ(rig.font->requests[1].pixelWidth, 32);
    EXPECT_EQ(rig.font->requests[1].pixelHeight, 32);
    EXPECT_EQ(rig.renderer->cellWidth(), 32);
    EXPECT_EQ(rig.renderer->cellHeight(), 32);
}

TEST(TextCache, EachCodeSizeAndStyleIsRasterisedOnce) {
    RendererRig rig(kShiftJisVariant);
    for (int i = 0; i < 3; ++i) rig.renderer->drawChar(rig.plane, 0x82A0, kX, kY, 0);
    EXPECT_EQ(rig.font->requests.size(), 1u);
    rig.renderer->drawChar(rig.plane, 0x82A0, kX, kY, 3);
    rig.renderer->drawChar(rig.plane, 0x82A2, kX, kY, 3);
    rig.renderer->setFontSize(24, 24);
    rig.renderer->drawChar(rig.plane, 0x82A0, kX, kY, 3);
    EXPECT_EQ(rig.font->requests.size(), 4u);
    // Styles outside 0..3 draw as style 0 and share its entry.
    rig.renderer->setFontSize(16, 16);
    rig.renderer->drawChar(rig.plane, 0x82A0, kX, kY, 9);
    EXPECT_EQ(rig.font->requests.size(), 4u);
}

TEST(TextCache, StaysBounded) {
    RendererRig rig(kGb2312Variant);
    for (unsigned code = 0; code < 0x10000; code += 3)
        rig.renderer->drawChar(rig.plane, static_cast<uint16_t>(code), 0, 0, code & 3);
    EXPECT_LE(rig.renderer->cachedGlyphs(), TextRenderer::kCacheLimit);
}

} // namespace
} // namespace fer::test

namespace fer::test {
namespace {

// A font that draws dashes and ellipses half-width, as the default one does:
// double-byte ones are stretched to fill their 16-pixel cell, in both builds;
// other characters and single-byte codes keep their width.
TEST(TextCharacters, DoubleByteDashesAndEllipsesFillTheirCell) {
    auto halfWidthLine = [](const GlyphRequest&, GlyphMask& m) {
        for (int x = 0; x < 8; ++x) m.set(x, 8);
    };
    auto litColumns = [](const RendererRig& rig) {
        std::set<int> columns;
        for (const auto& [at, index] : rig.changed())
            if (at.second == 8 && index == rig.plane.at(kX, kY + 8)) columns.insert(at.first);
        return columns;
    };
    const struct {
        const BuildVariant* variant;
        uint16_t code;
        size_t columns;
    } cases[] = {{&kGb2312Variant, 0xA1AA, 16},   // — em dash
                 {&kGb2312Variant, 0xA1AD, 16},   // … ellipsis
                 {&kShiftJisVariant, 0x815C, 16}, // ― horizontal bar
                 {&kShiftJisVariant, 0x8163, 16}, // … ellipsis
                 {&kGb2312Variant, 0xB0A1, 8},    // 啊 keeps the font's drawing
                 {&kGb2312Variant, 0x002D, 8}};   // a single-byte hyphen
    for (const auto& c : cases) {
        RendererRig rig(*c.variant);
        rig.font->draw = halfWidthLine;
        rig.renderer->drawChar(rig.plane, c.code, kX, kY, 0);
        const std::set<int> columns = litColumns(rig);
        EXPECT_EQ(columns.size(), c.columns) << std::hex << c.code;
        if (!columns.empty()) {
            EXPECT_EQ(*columns.begin(), 0) << std::hex << c.code;
        }
    }
}

} // namespace
} // namespace fer::test

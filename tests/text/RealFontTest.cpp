// Text drawn with the installed font: a line of real text per build,
// compared with the font's own rendering made here through FreeType's
// anti-aliased path (thresholded), which for a pixel font such as GNU
// Unifont must give the same pixels as the engine's monochrome path.
// The rendered lines are also written to /tmp/fer-text-gb.pgm and
// /tmp/fer-text-sjis.pgm to be looked at.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "TextRig.h"
#include "graphics/GlyphAtlas.h"
#include "graphics/TextMessages.h"
#include "platform/freetype/FontLocator.h"
#include "platform/freetype/FreeTypeRasterizer.h"
#include "platform/freetype/TextFontLoader.h"

namespace fer::test {
namespace {

constexpr uint8_t kFill = 40, kText = 15;
constexpr int kLeft = 8, kTop = 8;

struct RecordingErrors : FatalErrorHandler {
    std::vector<std::pair<std::string, std::string>> reports;
    void fatalError(std::string_view title, std::string_view text) override {
        reports.emplace_back(title, text);
    }
};

Palette testPalette() {
    Palette p{};
    for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    p[kFill] = {40, 60, 120, 0};
    p[kText] = {255, 230, 120, 0};
    return p;
}

std::u32string toUtf32(const std::string& utf8) {
    const std::string bytes = encode(utf8, "UTF-32LE");
    std::u32string out(bytes.size() / 4, U'\0');
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
}

// The font's own picture of a character at a pixel size, placed with the
// cell's top at the ascent above the baseline.
GlyphMask referenceGlyph(FT_Face face, char32_t c, int size) {
    GlyphMask m;
    FT_Set_Pixel_Sizes(face, size, size);
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) return m;
    const FT_Bitmap& b = face->glyph->bitmap;
    const int ascent = int(std::lround(double(face->ascender) * size / face->units_per_EM));
    for (unsigned r = 0; r < b.rows; ++r)
        for (unsigned col = 0; col < b.width; ++col)
            if (b.buffer[r * b.pitch + col] >= 128)
                m.set(face->glyph->bitmap_left + int(col),
                      ascent - face->glyph->bitmap_top + int(r));
    return m;
}

void writePgm(const VramPlane& plane, const Palette& palette, int w, int h,
              const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << w << " " << h << "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const PaletteEntry e = palette[plane.at(x, y)];
            out.put(char((e.red * 30 + e.green * 59 + e.blue * 11) / 100));
        }
}

void checkLine(const BuildVariant& variant, const std::string& utf8, const std::string& pgm) {
    RecordingErrors errors;
    std::unique_ptr<GlyphRasterizer> font = loadTextFont(variant, "", errors);
    ASSERT_TRUE(font) << (errors.reports.empty() ? "" : errors.reports[0].second);
    const std::string fontName = font->fontName();
    TextRenderer renderer(variant, std::move(font));
    ASSERT_TRUE(renderer.initialise(errors));
    const Palette palette = testPalette();
    renderer.refreshTextColours(palette);
    renderer.setColours(kText);

    VramPlane plane(640, 400);
    std::fill(plane.pixels(), plane.pixels() + plane.size(), kFill);
    VramPlane expected(640, 400);
    std::fill(expected.pixels(), expected.pixels() + expected.size(), kFill);

    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, fontName.c_str(), 0, &face), 0) << fontName;

    const std::u32string chars = toUtf32(utf8);
    const std::vector<uint16_t> codes = codesOf(encode(utf8, variant.iconvCharset), variant);
    ASSERT_EQ(chars.size(), codes.size());
    int x = kLeft;
    for (size_t i = 0; i < codes.size(); ++i) {
        renderer.drawChar(plane, codes[i], x, kTop, 0);
        const GlyphMask g = referenceGlyph(face, chars[i], 16);
        for (int j = 0; j < 16; ++j)
            for (int k = 0; k < 16; ++k) {
                if (g.at(k - 1, j) || g.at(k, j - 1)) expected.set(x + k, kTop + j, 2);
            }
        for (int j = 0; j < 16; ++j)
            for (int k = 0; k < 16; ++k)
                if (g.at(k, j)) expected.set(x + k, kTop + j, kText);
        x += codes[i] > 0xFF ? 16 : 8;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    writePgm(plane, palette, x + kLeft, 16 + 2 * kTop, pgm);

    int differing = 0, firstX = -1, firstY = -1, lit = 0;
    for (int py = 0; py < 400; ++py)
        for (int px = 0; px < 640; ++px) {
            if (plane.at(px, py) == kText) ++lit;
            if (plane.at(px, py) != expected.at(px, py) && differing++ == 0) {
                firstX = px;
                firstY = py;
            }
        }
    EXPECT_GT(lit, 100) << "the line drawn with " << fontName << " is nearly empty";
    EXPECT_EQ(differing, 0) << "the text drawn with the font " << fontName
                            << " differs from that font's own rendering in " << differing
                            << " pixels, the first at (" << firstX << ", " << firstY
                            << "); the font is not pixel-exact at 16 pixels (is it GNU Unifont "
                               "from fonts-unifont?)";
}

// With the default font, whose dashes and ellipses are half-width, the
// double-byte ones still fill their cells: "——" is one unbroken line.
TEST(RealFont, DoubleByteDashesJoinAcrossTheirCells) {
    for (const BuildVariant* variant : {&kGb2312Variant, &kShiftJisVariant}) {
        RecordingErrors errors;
        std::unique_ptr<GlyphRasterizer> font = loadTextFont(*variant, "", errors);
        ASSERT_TRUE(font);
        TextRenderer renderer(*variant, std::move(font));
        ASSERT_TRUE(renderer.initialise(errors));
        const Palette palette = testPalette();
        renderer.refreshTextColours(palette);
        renderer.setColours(kText);
        VramPlane plane(640, 400);
        std::fill(plane.pixels(), plane.pixels() + plane.size(), kFill);
        const std::string text = variant == &kGb2312Variant ? "——完——上去……" : "――完――上へ……";
        const std::vector<uint16_t> codes = codesOf(encode(text, variant->iconvCharset), *variant);
        int x = kLeft;
        for (uint16_t code : codes) {
            renderer.drawChar(plane, code, x, kTop, 0);
            x += 16;
        }
        writePgm(plane, palette, x + kLeft, 16 + 2 * kTop,
                 std::string("/tmp/fer-dashes-") + variant->name + ".pgm");
        // The row of the dashes with the most text pixels: lit all across both cells.
        int best = 0, bestRow = 0;
        for (int j = 0; j < 16; ++j) {
            int n = 0;
            for (int k = 0; k < 32; ++k) n += plane.at(kLeft + k, kTop + j) == kText;
            if (n > best) best = n, bestRow = j;
        }
        EXPECT_GE(best, 31) << variant->name << ": row " << bestRow;
        // The ellipses spread over their cells: lit pixels in both halves of each.
        for (int cell = 6; cell < 8; ++cell) {
            int left = 0, right = 0;
            for (int j = 0; j < 16; ++j)
                for (int k = 0; k < 16; ++k)
                    if (plane.at(kLeft + 16 * cell + k, kTop + j) == kText) ++(k < 8 ? left : right);
            EXPECT_GT(left, 0) << variant->name << " cell " << cell;
            EXPECT_GT(right, 0) << variant->name << " cell " << cell;
        }
    }
}

TEST(RealFont, Gb2312LineMatchesTheInstalledFont) {
    checkLine(kGb2312Variant, "中文字体显示：汉字Ab1", "/tmp/fer-text-gb.pgm");
}

TEST(RealFont, ShiftJisLineMatchesTheInstalledFont) {
    checkLine(kShiftJisVariant, "日本語のテキスト。カナｶﾅAb1", "/tmp/fer-text-sjis.pgm");
}

TEST(RealFont, ShiftJisBuildScalesTheOutlineToTheRequestedSize) {
    RecordingErrors errors;
    std::unique_ptr<GlyphRasterizer> font = loadTextFont(kShiftJisVariant, "", errors);
    ASSERT_TRUE(font);
    GlyphMask small, large;
    ASSERT_TRUE(font->rasterize({U'田', 16, 16}, small));
    ASSERT_TRUE(font->rasterize({U'田', 24, 24}, large));
    const auto extent = [](const GlyphMask& m) {
        int rows = 0, cols = 0;
        for (int j = 0; j < 32; ++j)
            for (int k = 0; k < 32; ++k)
                if (m.at(k, j)) {
                    rows = std::max(rows, j + 1);
                    cols = std::max(cols, k + 1);
                }
        return std::pair{rows, cols};
    };
    EXPECT_LE(extent(small).first, 16);
    EXPECT_GT(extent(large).first, 18) << font->fontName();
    EXPECT_GT(extent(large).second, 18) << font->fontName();
}

// The browser build's glyphs: the font's 16x16 cells written to an atlas and
// read back are the font's own pictures; other sizes and whole files only.
TEST(RealFont, GlyphAtlasKeepsTheFontsCells) {
    RecordingErrors errors;
    std::unique_ptr<GlyphRasterizer> font = loadTextFont(kGb2312Variant, "", errors);
    ASSERT_TRUE(font);
    GlyphAtlas baked;
    GlyphMask mask;
    for (char32_t c : {U'中', U'A', U'，'}) {
        ASSERT_TRUE(font->rasterize({c, 16, 16}, mask));
        ASSERT_TRUE(baked.add(c, mask));
    }
    const std::vector<uint8_t> file = baked.serialize();
    EXPECT_EQ(file.size(), 12u + 3 * 36);
    auto atlas = GlyphAtlas::parse(file, "atlas");
    ASSERT_TRUE(atlas);
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, font->fontName().c_str(), 0, &face), 0);
    for (char32_t c : {U'中', U'A', U'，'}) {
        ASSERT_TRUE(atlas->rasterize({c, 16, 16}, mask));
        EXPECT_EQ(mask, referenceGlyph(face, c, 16)) << unsigned(c);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    EXPECT_FALSE(atlas->rasterize({U'文', 16, 16}, mask)) << "not baked";
    EXPECT_FALSE(atlas->rasterize({U'中', 24, 24}, mask)) << "another size";
    EXPECT_FALSE(GlyphAtlas::parse(std::span(file).first(file.size() - 1), "cut"));
}

TEST(FontLoading, ChosenFileThatIsMissingIsAFatalErrorNamingIt) {
    RecordingErrors errors;
    EXPECT_FALSE(loadTextFont(kGb2312Variant, "/nonexistent/font.otf", errors));
    ASSERT_EQ(errors.reports.size(), 1u);
    EXPECT_EQ(errors.reports[0].first, text_text::kFontCreateFailedTitle);
    EXPECT_NE(errors.reports[0].second.find("/nonexistent/font.otf"), std::string::npos);
}

TEST(FontLoading, ChosenFileThatIsNoFontIsAFatalError) {
    const std::string path = ::testing::TempDir() + "fer-not-a-font.otf";
    std::ofstream(path) << "not a font";
    RecordingErrors errors;
    EXPECT_FALSE(loadTextFont(kShiftJisVariant, path, errors));
    ASSERT_EQ(errors.reports.size(), 1u);
    EXPECT_NE(errors.reports[0].second.find(path), std::string::npos);
    std::filesystem::remove(path);
}

TEST(FontLocating, DefaultsComeFirstThenFontconfig) {
    std::string error;
    const FontLocator sjis("CP932");
    EXPECT_EQ(sjis.language(), "ja");
    const auto found = sjis.locate("", error);
    ASSERT_TRUE(found) << error;
    EXPECT_EQ(found->path, FontLocator::defaultFiles("CP932").at(0));

    // Without a default file fontconfig is asked for a font that has both
    // ideographs and kana.
    const FontLocator fallback("CP936", {"/nonexistent/a.otf"});
    const auto matched = fallback.locate("", error);
    ASSERT_TRUE(matched) << error;
    EXPECT_TRUE(std::filesystem::exists(matched->path));
    std::string ignored;
    auto font = FreeTypeRasterizer::open(matched->path, matched->faceIndex, ignored);
    ASSERT_TRUE(font) << matched->path;
    EXPECT_TRUE(font->hasGlyph(U'中'));
    EXPECT_TRUE(font->hasGlyph(U'あ'));
}

} // namespace
} // namespace fer::test

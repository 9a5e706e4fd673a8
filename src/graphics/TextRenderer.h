#pragma once
// Draws script text one character at a time into a video plane. A character
// is rasterised into a 32x32 cell; its lit pixels go to the plane twice:
// first as a drop shadow in palette index 2 (the glyph drawn at (1, 0) and at
// (0, 1)), then as the glyph itself with the text style's extra strokes, in
// the glyph colour. Pixels of the cell the glyph does not light are never
// copied, so the plane shows through around and inside the glyphs.
//
// The glyph colour is the first entry of the glyph colour table whose colour
// equals the text colour's entry: the table is the on-screen palette as of
// the last refreshTextColours, with entry 1 white and entry 2 black. When
// that first entry is the background index, the character leaves the plane
// as it was.
//
// Rasterised characters are cached per (code, font size, style); the cache
// is emptied when it grows past kCacheLimit entries.

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "graphics/CharsetDecoder.h"
#include "graphics/GlyphMask.h"
#include "graphics/GlyphRasterizer.h"
#include "core/PaletteEntry.h"
#include "graphics/PlaneSet.h"
#include "graphics/VramPlane.h"
#include "core/BuildVariant.h"
#include "core/FatalErrorHandler.h"

namespace fer {

class TextRenderer {
  public:
    static constexpr uint16_t kMaxCell = GlyphMask::kSize;
    static constexpr uint16_t kStartColours = 7;
    static constexpr uint16_t kStartCell = 16;
    static constexpr uint8_t kShadowIndex = 2;
    static constexpr size_t kCacheLimit = 4096;

    // Colour pair 7 (background 0, text colour 7), a 16x16 cell and font.
    TextRenderer(const BuildVariant& variant, std::unique_ptr<GlyphRasterizer> rasterizer);

    // A renderer without a font yet (see setFont); it draws nothing until it has one.
    explicit TextRenderer(const BuildVariant& variant) : TextRenderer(variant, nullptr) {}
    // Draws with this font from now on (the glyph cache starts again).
    void setFont(std::unique_ptr<GlyphRasterizer> rasterizer) {
        rasterizer_ = std::move(rasterizer);
        cache_.clear();
    }
    bool hasFont() const { return rasterizer_ != nullptr; }

    // Opens the build's character conversion; false after reporting a fatal
    // error when the system has no converter for the code page.
    bool initialise(FatalErrorHandler& errors);

    // Background index = high byte, text colour index = low byte.
    void setColours(uint16_t colourPair);
    // The cell copied per character, and the font size: each at most 32. In
    // the GB2312 build the glyphs stay 16 pixels whatever the size asked.
    void setFontSize(uint16_t width, uint16_t height);
    // The glyph colour table from the colours the screen shows now.
    void refreshTextColours(const Palette& onScreen);

    // Draws the character code with its cell's top-left corner at (x, y).
    // A code whose high byte is a lead byte is a double-byte character,
    // otherwise its low byte is a single-byte one. Pixels outside the plane
    // are clipped.
    void drawChar(VramPlane& plane, uint16_t code, int x, int y, unsigned style);
    void drawChar(PlaneSet& planes, unsigned plane, uint16_t code, int x, int y, unsigned style) {
        drawChar(planes[plane], code, x, y, style);
    }

    uint16_t cellWidth() const { return cellWidth_; }
    uint16_t cellHeight() const { return cellHeight_; }
    uint8_t backgroundIndex() const { return backgroundIndex_; }
    uint8_t foregroundIndex() const { return foregroundIndex_; }
    // The palette index the glyph pixels carry.
    uint8_t glyphIndex() const { return glyphIndex_; }
    size_t cachedGlyphs() const { return cache_.size(); }
    void clearGlyphCache() { cache_.clear(); }
    const GlyphRasterizer& rasterizer() const { return *rasterizer_; }

    // The shadow and the styled glyph of a character as drawn at the cell
    // origin, before clipping to the cell (cached).
    struct Glyph {
        GlyphMask shadow;
        GlyphMask glyph;
    };
    const Glyph& glyph(uint16_t code, unsigned style);

  private:
    Glyph rasterizeGlyph(uint16_t code, unsigned style);
    void resolveGlyphIndex();
    void copyMask(VramPlane& plane, const GlyphMask& mask, int x, int y, uint8_t index) const;

    const BuildVariant& variant_;
    std::unique_ptr<GlyphRasterizer> rasterizer_;
    CharsetDecoder decoder_;
    Palette colourTable_{};
    uint16_t cellWidth_ = kStartCell;
    uint16_t cellHeight_ = kStartCell;
    uint8_t fontWidth_ = kStartCell;
    uint8_t fontHeight_ = kStartCell;
    uint8_t backgroundIndex_ = 0;
    uint8_t foregroundIndex_ = 0;
    uint8_t glyphIndex_ = 0;
    std::unordered_map<uint64_t, Glyph> cache_;
};

} // namespace fer

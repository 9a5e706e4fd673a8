#pragma once
// Turns one character into the lit pixels of its glyph, without
// anti-aliasing. The engine core asks for characters by Unicode code point;
// the build's double-byte codes are converted before (CharsetDecoder).
//
// Placement: the mask is the character drawn with its cell's top-left corner
// at mask (0, 0), the way a character is drawn at a text position: the pen
// starts at column 0 and the baseline lies at the font's ascent below row 0.
// Pixels that fall outside the 32x32 mask are dropped.

#include <cstdint>
#include <string>

#include "graphics/GlyphMask.h"

namespace fer {

struct GlyphRequest {
    char32_t codePoint = 0;
    // The font's pixel size: a full-width character is pixelWidth wide, a
    // half-width one half of it; pixelHeight is the height of a text line.
    uint8_t pixelWidth = 16;
    uint8_t pixelHeight = 16;
};

class GlyphRasterizer {
  public:
    virtual ~GlyphRasterizer() = default;

    // Fills mask (cleared first) with the glyph of request.codePoint. False
    // when the font has no glyph for it or cannot render it; the mask is
    // then empty.
    virtual bool rasterize(const GlyphRequest& request, GlyphMask& mask) = 0;
    // The font in use, for messages (a file path or a family name).
    virtual std::string fontName() const = 0;
};

} // namespace fer

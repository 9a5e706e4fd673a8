#include "graphics/TextRenderer.h"

#include <algorithm>
#include <bit>
#include <string>

#include "core/EngineStrings.h"
#include "graphics/FullWidthCell.h"
#include "graphics/TextMessages.h"

namespace fer {

namespace {

// The bits of columns [first, last) of a mask row.
uint32_t columnRange(int first, int last) {
    if (last <= first) return 0;
    const uint32_t upTo = last >= 32 ? ~0u : (1u << last) - 1u;
    const uint32_t below = first <= 0 ? 0u : (1u << first) - 1u;
    return upTo & ~below;
}

uint8_t clampFontSize(uint16_t size) {
    return static_cast<uint8_t>(std::clamp<uint16_t>(size, 1, TextRenderer::kMaxCell));
}

} // namespace

TextRenderer::TextRenderer(const BuildVariant& variant, std::unique_ptr<GlyphRasterizer> rasterizer)
    : variant_(variant), rasterizer_(std::move(rasterizer)) {
    // Until the first refresh the table holds black everywhere but entry 1.
    colourTable_[1] = {255, 255, 255, 0};
    setFontSize(kStartCell, kStartCell);
    setColours(kStartColours);
}

bool TextRenderer::initialise(FatalErrorHandler& errors) {
    if (decoder_.open(variant_.iconvCharset)) return true;
    errors.fatalError(text_text::kFontCreateFailedTitle,
                      std::string(text_text::kFontHandle) + "\n" +
                          engineText(engineLanguageFor(variant_),
                                     EngineString::kNoCodePageConverter, {variant_.iconvCharset}));
    return false;
}

void TextRenderer::setColours(uint16_t colourPair) {
    backgroundIndex_ = static_cast<uint8_t>(colourPair >> 8);
    foregroundIndex_ = static_cast<uint8_t>(colourPair & 0xFF);
    resolveGlyphIndex();
}

void TextRenderer::setFontSize(uint16_t width, uint16_t height) {
    cellWidth_ = std::min(width, kMaxCell);
    cellHeight_ = std::min(height, kMaxCell);
    uint8_t fontWidth, fontHeight;
    if (variant_.fixedGlyphSize != 0) {
        fontWidth = fontHeight = variant_.fixedGlyphSize;
    } else {
        // A height of 0 asks for the default size, a width of 0 for the
        // font's own proportions.
        fontHeight = height == 0 ? kStartCell : clampFontSize(height);
        fontWidth = width == 0 ? fontHeight : clampFontSize(width);
    }
    fontWidth_ = fontWidth;
    fontHeight_ = fontHeight;
}

void TextRenderer::refreshTextColours(const Palette& onScreen) {
    colourTable_ = onScreen;
    for (auto& e : colourTable_) e.unused = 0;
    colourTable_[1] = {255, 255, 255, 0};
    colourTable_[2] = {0, 0, 0, 0};
    resolveGlyphIndex();
}

void TextRenderer::resolveGlyphIndex() {
    const PaletteEntry wanted = colourTable_[foregroundIndex_];
    const auto first = std::find(colourTable_.begin(), colourTable_.end(), wanted);
    glyphIndex_ = static_cast<uint8_t>(first - colourTable_.begin());
}

const TextRenderer::Glyph& TextRenderer::glyph(uint16_t code, unsigned style) {
    if (style > 3) style = 0;
    const uint64_t key = uint64_t{code} | uint64_t{fontWidth_} << 16 | uint64_t{fontHeight_} << 24 |
                         uint64_t{style} << 32;
    if (auto found = cache_.find(key); found != cache_.end()) return found->second;
    if (cache_.size() >= kCacheLimit) cache_.clear();
    return cache_.emplace(key, rasterizeGlyph(code, style)).first->second;
}

TextRenderer::Glyph TextRenderer::rasterizeGlyph(uint16_t code, unsigned style) {
    const auto high = static_cast<uint8_t>(code >> 8);
    const auto low = static_cast<uint8_t>(code & 0xFF);
    const std::optional<char32_t> codePoint =
        variant_.isLeadByte(high) ? decoder_.decodeDouble(high, low) : decoder_.decodeSingle(low);
    GlyphMask base;
    // A code that does not convert draws nothing.
    if (codePoint && rasterizer_) rasterizer_->rasterize({*codePoint, fontWidth_, fontHeight_}, base);
    // Double-byte dashes and ellipses fill their whole cell.
    if (codePoint && variant_.isLeadByte(high) && fillsItsCell(*codePoint))
        stretchToFullCell(base, fontWidth_);

    Glyph out;
    out.shadow = base.shifted(1, 0);
    out.shadow |= base.shifted(0, 1);
    out.glyph = base;
    switch (style) {
    case 1: out.glyph |= base.shifted(-1, 0); break;
    case 2: out.glyph |= base.shifted(0, 1); break;
    case 3:
        out.glyph |= base.shifted(-1, 0);
        out.glyph |= base.shifted(0, 1);
        out.glyph |= base.shifted(-1, 1);
        break;
    default: break;
    }
    return out;
}

void TextRenderer::copyMask(VramPlane& plane, const GlyphMask& mask, int x, int y,
                            uint8_t index) const {
    const int firstRow = std::max(0, -y);
    const int lastRow = std::min<int>(cellHeight_, plane.height() - y);
    const uint32_t columns =
        columnRange(std::max(0, -x), std::min<int>(cellWidth_, plane.width() - x));
    if (columns == 0) return;
    for (int j = firstRow; j < lastRow; ++j) {
        uint32_t bits = mask.row(j) & columns;
        if (bits == 0) continue;
        uint8_t* row = plane.row(y + j);
        while (bits != 0) {
            row[x + std::countr_zero(bits)] = index;
            bits &= bits - 1;
        }
    }
}

void TextRenderer::drawChar(VramPlane& plane, uint16_t code, int x, int y, unsigned style) {
    if (!plane.valid() || cellWidth_ == 0 || cellHeight_ == 0) return;
    // A glyph whose colour resolves to the background index lights no pixel
    // of the cell: neither it nor its shadow shows.
    if (glyphIndex_ == backgroundIndex_) return;
    const Glyph& g = glyph(code, style);
    copyMask(plane, g.shadow, x, y, kShadowIndex);
    copyMask(plane, g.glyph, x, y, glyphIndex_);
}

} // namespace fer

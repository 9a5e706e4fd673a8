#pragma once
// Glyphs rasterised once, ahead of time, and kept as 16x16 cells: a build
// that has no font library reads them instead of a font file. The file
// holds "FKGLYPH1", the number of cells (32-bit little-endian), then per
// cell its code point (32-bit) and 16 rows of 16 bits (bit k = column k),
// in ascending code-point order. Requests of another size find no glyph.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphics/GlyphRasterizer.h"

namespace fer {

class GlyphAtlas : public GlyphRasterizer {
  public:
    static constexpr int kCell = 16;
    // More cells than any code page has: a larger count is a broken file.
    static constexpr uint32_t kMaxCells = 1u << 17;

    // Keeps the glyph of codePoint; false when it has lit pixels outside the cell.
    bool add(char32_t codePoint, const GlyphMask& mask);
    std::vector<uint8_t> serialize() const;
    // Nullopt when bytes are not a whole atlas file.
    static std::optional<GlyphAtlas> parse(std::span<const uint8_t> bytes, std::string name);

    bool rasterize(const GlyphRequest& request, GlyphMask& mask) override;
    std::string fontName() const override { return name_; }
    size_t size() const { return cells_.size(); }

  private:
    using Rows = std::array<uint16_t, kCell>;
    std::map<char32_t, Rows> cells_;
    std::string name_;
};

} // namespace fer

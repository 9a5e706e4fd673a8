#pragma once
// A one-bit picture of up to 32x32 pixels: the lit pixels of a rasterised
// character. Bit k of row j is the pixel in column k of row j (rows from the
// top). Shifting the whole mask is how a character is drawn one pixel away
// from its cell origin; whatever leaves the 32x32 square is lost.

#include <array>
#include <cstdint>

namespace fer {

class GlyphMask {
  public:
    static constexpr int kSize = 32;

    bool at(int column, int row) const {
        return column >= 0 && row >= 0 && column < kSize && row < kSize &&
               (rows_[row] >> column & 1u) != 0;
    }
    void set(int column, int row) {
        if (column >= 0 && row >= 0 && column < kSize && row < kSize) rows_[row] |= 1u << column;
    }
    uint32_t row(int j) const { return rows_[j]; }
    void setRow(int j, uint32_t bits) { rows_[j] = bits; }
    void clear() { rows_.fill(0); }
    bool empty() const {
        for (uint32_t r : rows_)
            if (r != 0) return false;
        return true;
    }

    // This mask moved dx columns right and dy rows down (negative: left, up).
    GlyphMask shifted(int dx, int dy) const {
        GlyphMask out;
        for (int j = 0; j < kSize; ++j) {
            const int from = j - dy;
            if (from < 0 || from >= kSize) continue;
            const uint32_t bits = rows_[from];
            out.rows_[j] = dx >= kSize || dx <= -kSize ? 0u : dx >= 0 ? bits << dx : bits >> -dx;
        }
        return out;
    }
    GlyphMask& operator|=(const GlyphMask& other) {
        for (int j = 0; j < kSize; ++j) rows_[j] |= other.rows_[j];
        return *this;
    }
    friend bool operator==(const GlyphMask&, const GlyphMask&) = default;

  private:
    std::array<uint32_t, kSize> rows_{};
};

} // namespace fer

#pragma once
// Turns rows of 8-bit palette indices into 32-bit ARGB pixels (alpha 0xFF)
// for the window's texture.
//
// A large rectangle goes through a table of pixel pairs: two indices, read
// as one 16-bit word, give both pixels in one 64-bit load, so the loop does
// half the loads and stores of one lookup per pixel. The table (65536 pairs,
// 512 KB) is made again only when the palette changes, and only for a
// rectangle large enough to pay for it; smaller ones look up one pixel at a
// time.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "core/PaletteEntry.h"

namespace fer {

class PaletteConverter {
  public:
    // Rectangles of at least this many pixels make the pair table for a new
    // palette (making it costs about what converting this many pixels does).
    static constexpr int64_t kPairTableArea = 128 * 1024;

    // Takes the palette and the size of the rectangle about to be converted.
    void setPalette(std::span<const PaletteEntry, 256> palette, int64_t area);
    // One row of `width` pixels.
    void convertRow(const uint8_t* source, uint32_t* destination, int width) const;

    // Whether rows go through the pair table (for tests).
    bool usesPairs() const { return usePairs_; }

  private:
    std::array<uint32_t, 256> single_{};
    std::unique_ptr<uint64_t[]> pairs_;
    std::array<uint32_t, 256> pairsFor_{};
    bool pairsReady_ = false;
    bool usePairs_ = false;
};

} // namespace fer

#pragma once
// The four layers of the 40 x 25 screen cells — ground tile, upper tile,
// first and second character tile — and the copy of what was last drawn.
// A screen cell is redrawn when any of its four values differs from the copy.
//
// A character tile holds the tile number in bits 0-9 and the owning object's
// index in bits 10-15; 0xFFFF is empty. An upper tile with bit 0x400 comes
// from sheet B.

#include <array>
#include <cstddef>
#include <cstdint>

namespace fer {

class CellLayers {
  public:
    static constexpr int kColumns = 40;
    static constexpr int kRows = 25;
    static constexpr uint16_t kNoTile = 1023;
    static constexpr uint16_t kEmpty = 0xFFFF;
    static constexpr uint16_t kSheetB = 0x400;
    enum Layer { kGround = 0, kUpper = 1, kFirst = 2, kSecond = 3 };
    using Cell = std::array<uint16_t, 4>;

    static constexpr Cell kBlank{kNoTile, kNoTile, kEmpty, kEmpty};

    CellLayers() {
        current_.fill(kBlank);
        markAllChanged();
    }

    static bool inside(int col, int row) {
        return col >= 0 && row >= 0 && col < kColumns && row < kRows;
    }
    // Callers keep col and row inside.
    Cell& at(int col, int row) { return current_[index(col, row)]; }
    const Cell& at(int col, int row) const { return current_[index(col, row)]; }
    const Cell& drawn(int col, int row) const { return drawn_[index(col, row)]; }
    bool changed(int col, int row) const {
        return current_[index(col, row)] != drawn_[index(col, row)];
    }
    void markDrawn(int col, int row) { drawn_[index(col, row)] = current_[index(col, row)]; }
    // Every cell differs from its copy afterwards, an empty one too: the
    // copy's ground holds a value no layer can hold.
    void markAllChanged() { drawn_.fill(Cell{kEmpty, kNoTile, kEmpty, kEmpty}); }

  private:
    static size_t index(int col, int row) { return size_t(row) * kColumns + size_t(col); }

    std::array<Cell, kColumns * kRows> current_;
    std::array<Cell, kColumns * kRows> drawn_;
};

} // namespace fer

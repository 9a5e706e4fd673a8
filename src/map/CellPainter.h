#pragma once
// Draws one screen cell of the layers at (16 x column, 16 x row) of plane 0.
// Tile n (0 to 999) is the 16 x 16 block at (16 x (n mod 40), 16 x (n div
// 40)) of a sheet; sheet A is plane 2, sheet B plane 3. A cell with no upper
// tile and no characters is one straight copy of its ground tile; any other
// is composed in a 16 x 16 buffer: ground, the two character tiles from
// sheet B and then the upper tile, each skipping the transparent colour.
// Tile numbers 1000 to 1023 draw nothing; a cell without a ground tile is
// colour 0 beneath whatever covers it.

#include <array>
#include <cstdint>

#include "graphics/PlaneSet.h"
#include "map/CellLayers.h"

namespace fer {

class CellPainter {
  public:
    static constexpr int kTile = 16;
    static constexpr int kTiles = 1000;
    static constexpr int kSheetA = 2;
    static constexpr int kSheetB = 3;

    explicit CellPainter(PlaneSet& planes);

    // False (and drawing does nothing) when planes 0, 2 and 3 are not the
    // 640 x 400 planes of an allocated set.
    bool ready() const;

    void draw(const CellLayers::Cell& cell, int col, int row, uint8_t key);

  private:
    // Pixel offset of the tile's top row in a 640 x 400 plane.
    std::array<uint32_t, kTiles> offsets_;
    PlaneSet& planes_;
};

} // namespace fer

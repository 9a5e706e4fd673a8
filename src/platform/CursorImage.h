#pragma once
// A mouse cursor drawn by the game: an 8-bit image through a palette, with a
// colour that stays transparent and the hot spot that points.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/PaletteEntry.h"

namespace fer {

struct CursorImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width x height indexes, rows from the top
    Palette palette{};
    int transparent = -1; // the index not drawn, or -1 for none
    int hotX = 0;
    int hotY = 0;

    bool valid() const {
        return width > 0 && height > 0 && width <= 256 && height <= 256 &&
               pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height) &&
               hotX >= 0 && hotX < width && hotY >= 0 && hotY < height;
    }
};

} // namespace fer

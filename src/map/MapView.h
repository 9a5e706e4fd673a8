#pragma once
// The part of the map the player sees: a rectangle of screen cells on
// plane 0, the map cell shown at its top-left, and the margins inside which
// the character the view follows scrolls it.
//
// No command sets the view: it is the whole plane, 40 x 25 cells at 0, 0.
// The margins keep the followed character ten cells from the left and right
// edges and eight from the top and bottom.

#include <cstdint>

namespace fer {

struct MapView {
    static constexpr uint16_t kScreenColumns = 40;
    static constexpr uint16_t kScreenRows = 25;

    uint16_t left = 0, top = 0; // screen cells
    uint16_t width = kScreenColumns, height = kScreenRows;
    uint16_t originX = 0, originY = 0; // the map cell at the view's top-left
    uint16_t marginLeft = 10, marginTop = 8, marginRight = 10, marginBottom = 8;
};

} // namespace fer

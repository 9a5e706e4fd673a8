#include "graphics/FullWidthCell.h"

namespace fer {

bool fillsItsCell(char32_t c) {
    switch (c) {
    case U'\u2012': // figure dash
    case U'\u2013': // en dash
    case U'\u2014': // em dash
    case U'\u2015': // horizontal bar
    case U'\u2025': // two dot leader
    case U'\u2026': // horizontal ellipsis
    case U'\u22EF': // midline horizontal ellipsis
    case U'\u2500': // box drawings light horizontal
    case U'\u2501': // box drawings heavy horizontal
    case U'\u301C': // wave dash
        return true;
    default: return false;
    }
}

bool stretchToFullCell(GlyphMask& mask, int cellWidth) {
    const int half = cellWidth / 2;
    if (half <= 0 || cellWidth > GlyphMask::kSize) return false;
    const uint32_t leftHalf = (1u << half) - 1u;
    for (int j = 0; j < GlyphMask::kSize; ++j)
        if ((mask.row(j) & ~leftHalf) != 0) return false;
    if (mask.empty()) return false;
    for (int j = 0; j < GlyphMask::kSize; ++j) {
        const uint32_t bits = mask.row(j);
        uint32_t wide = 0;
        for (int k = 0; k < half; ++k)
            if (bits >> k & 1u) wide |= 3u << (2 * k);
        mask.setRow(j, wide);
    }
    return true;
}

} // namespace fer

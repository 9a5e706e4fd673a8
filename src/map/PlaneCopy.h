#pragma once
// A plain rectangle copy between two planes for the map's own drawing. The
// rectangle is given in signed pixels: one that starts left of or above a
// plane is not copied at all, one that runs past an edge is cut there.

#include <algorithm>
#include <cstring>

#include "graphics/PlaneSet.h"

namespace fer {

inline void copyPlaneRect(const VramPlane& src, int sx, int sy, int w, int h, VramPlane& dst,
                          int dx, int dy) {
    if (!src.valid() || !dst.valid() || &src == &dst) return;
    if (sx < 0 || sy < 0 || dx < 0 || dy < 0 || w <= 0 || h <= 0) return;
    w = std::min({w, src.width() - sx, dst.width() - dx});
    h = std::min({h, src.height() - sy, dst.height() - dy});
    if (w <= 0 || h <= 0) return;
    for (int i = 0; i < h; ++i) std::memcpy(dst.row(dy + i) + dx, src.row(sy + i) + sx, size_t(w));
}

} // namespace fer

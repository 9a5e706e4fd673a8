#include "graphics/BlockTransfer.h"

#include <algorithm>
#include <cstring>

#include "graphics/GraphicsHost.h"
#include "graphics/PixelRows.h"

namespace fer {

namespace {

// The part of an extent that stays inside [0, limit) from start.
uint32_t fit(uint32_t extent, uint32_t start, uint32_t limit) {
    return start >= limit ? 0 : std::min(extent, limit - start);
}

struct Extent {
    uint32_t w;
    uint32_t h;
    bool empty() const { return w == 0 || h == 0; }
};

// Clips (w, h) at (x, y) of plane.
Extent clip(Extent e, const VramPlane& plane, uint32_t x, uint32_t y) {
    return {fit(e.w, x, plane.width()), fit(e.h, y, plane.height())};
}

// The same as pixel_rows::keyed, pixel by pixel from the left, for rows of
// one plane that may overlap.
void keyedOverlapping(uint8_t* out, const uint8_t* in, size_t n, uint8_t key) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t v = in[i];
        if (v != key) out[i] = v;
    }
}

} // namespace

void BlockTransfer::blockTransfer(const BlockRequest& r) {
    switch (r.mode) {
    case kCopy: copy(r, false); break;
    case kTransparentCopy: copy(r, true); break;
    case kFill: fill(r); break;
    case kExchange: exchange(r); break;
    case kColourExchange: colourExchange(r); break;
    case kDissolve: dissolve(r); break;
    case kCompose: compose(r); break;
    default: break;
    }
}

void BlockTransfer::copy(const BlockRequest& r, bool transparent) {
    VramPlane& src = planes_[r.src];
    VramPlane& dst = planes_[r.dst];
    const Extent e = clip(clip({r.w, r.h}, src, r.sx, r.sy), dst, r.dx, r.dy);
    if (e.empty()) return;
    const bool samePlane = &src == &dst;
    const auto key = static_cast<uint8_t>(r.colour & 0xFF);
    if (!transparent && !samePlane && e.w == src.width() && e.w == dst.width()) {
        // Whole rows of two planes: the rectangle is one block in each.
        std::memcpy(dst.row(static_cast<int>(r.dy + e.h - 1)),
                    src.row(static_cast<int>(r.sy + e.h - 1)), size_t{e.w} * e.h);
        return;
    }
    for (uint32_t i = 0; i < e.h; ++i) {
        const uint8_t* in = src.row(static_cast<int>(r.sy + i)) + r.sx;
        uint8_t* out = dst.row(static_cast<int>(r.dy + i)) + r.dx;
        if (!transparent)
            std::memmove(out, in, e.w);
        else if (samePlane)
            keyedOverlapping(out, in, e.w, key);
        else
            pixel_rows::keyed(out, in, e.w, key);
    }
}

void BlockTransfer::fill(const BlockRequest& r) {
    VramPlane& plane = planes_[r.src];
    const Extent e = clip({r.w, r.h}, plane, r.sx, r.sy);
    const auto value = static_cast<uint8_t>((r.colour >> 8) & 0xFF);
    for (uint32_t i = 0; i < e.h && e.w > 0; ++i)
        std::memset(plane.row(static_cast<int>(r.sy + i)) + r.sx, value, e.w);
}

void BlockTransfer::exchange(const BlockRequest& r) {
    VramPlane& src = planes_[r.src];
    VramPlane& dst = planes_[r.dst];
    Extent e = clip(clip({r.w, r.h}, src, r.sx, r.sy), dst, r.dx, r.dy);
    e.w = std::min<uint32_t>(e.w, kRowBufferSize);
    if (e.empty()) return;
    uint8_t* buffer = rowBuffer_.data();
    const bool samePlane = &src == &dst;
    for (uint32_t i = 0; i < e.h; ++i) {
        uint8_t* a = src.row(static_cast<int>(r.sy + i)) + r.sx;
        uint8_t* b = dst.row(static_cast<int>(r.dy + i)) + r.dx;
        if (!samePlane) {
            pixel_rows::swap(a, b, e.w);
            continue;
        }
        // Rows of one plane may overlap: through the row buffer.
        std::memcpy(buffer, a, e.w);
        std::memmove(a, b, e.w);
        std::memcpy(b, buffer, e.w);
    }
}

void BlockTransfer::colourExchange(const BlockRequest& r) {
    VramPlane& plane = planes_[r.src];
    const Extent e = clip({r.w, r.h}, plane, r.sx, r.sy);
    if (e.empty()) return;
    const auto a = static_cast<uint8_t>(r.colour & 0xFF);
    const auto b = static_cast<uint8_t>((r.colour >> 8) & 0xFF);
    for (uint32_t i = 0; i < e.h; ++i)
        pixel_rows::swapColours(plane.row(static_cast<int>(r.sy + i)) + r.sx, e.w, a, b);
}

void BlockTransfer::dissolve(const BlockRequest& r) {
    VramPlane& src = planes_[r.src];
    VramPlane& dst = planes_[r.dst];
    const Extent e = clip(clip({r.w, r.h}, src, r.sx, r.sy), dst, r.dx, r.dy);
    // Step s copies, in every 8x8 block, the pixels of one row offset m and a
    // column phase that moves by -3 from block row to block row; over the 64
    // steps every (row offset, column phase) pair comes exactly once.
    uint32_t m = 0;
    uint32_t outer = 0;
    for (int round = 0; round < 8; ++round) {
        uint32_t c0 = outer;
        for (int step = 0; step < 8; ++step) {
            uint32_t c = c0;
            for (uint32_t y = m; y < e.h; y += 8) {
                const uint8_t* in = src.row(static_cast<int>(r.sy + y)) + r.sx;
                uint8_t* out = dst.row(static_cast<int>(r.dy + y)) + r.dx;
                for (uint32_t x = c; x < e.w; x += 8) out[x] = in[x];
                c = (c + 5) & 7; // c - 3 mod 8
            }
            host_.present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
            host_.sleepMilliseconds(1);
            m = (m + 3) & 7;
            c0 = (c0 + 1) & 7;
        }
        outer = (outer + 5) & 7; // o - 3 mod 8
    }
}

void BlockTransfer::compose(const BlockRequest& r) {
    VramPlane& fg = planes_[r.src];
    VramPlane& bg = planes_[r.dst];
    VramPlane& out = planes_[r.plane3];
    Extent e = clip(clip(clip({r.w, r.h}, fg, r.sx, r.sy), bg, r.dx, r.dy), out, r.x3, r.y3);
    e.w = std::min<uint32_t>(e.w, kRowBufferSize);
    if (e.empty()) return;
    const auto key = static_cast<uint8_t>(r.colour & 0xFF);
    uint8_t* buffer = rowBuffer_.data();
    const bool distinct = &out != &fg && &out != &bg;
    for (uint32_t i = 0; i < e.h; ++i) {
        if (distinct) { // the inputs are only read: straight into the output
            pixel_rows::compose(out.row(static_cast<int>(r.y3 + i)) + r.x3,
                                fg.row(static_cast<int>(r.sy + i)) + r.sx,
                                bg.row(static_cast<int>(r.dy + i)) + r.dx, e.w, key);
            continue;
        }
        // The output plane is also an input: through the row buffer.
        std::memcpy(buffer, bg.row(static_cast<int>(r.dy + i)) + r.dx, e.w);
        pixel_rows::keyed(buffer, fg.row(static_cast<int>(r.sy + i)) + r.sx, e.w, key);
        std::memcpy(out.row(static_cast<int>(r.y3 + i)) + r.x3, buffer, e.w);
    }
}

} // namespace fer

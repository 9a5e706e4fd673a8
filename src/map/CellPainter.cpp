#include "map/CellPainter.h"

#include <cstring>

namespace fer {

namespace {
constexpr int kStride = PlaneSet::kWidth;
constexpr int kHeight = PlaneSet::kScreenHeight;

bool screenPlane(const VramPlane& p) {
    return p.valid() && p.width() == kStride && p.height() >= kHeight;
}

// Keyed copy of one tile into the 16 x 16 buffer.
void keyed(uint8_t* buffer, const uint8_t* top, uint8_t key) {
    for (int i = 0; i < CellPainter::kTile; ++i) {
        const uint8_t* in = top - ptrdiff_t(i) * kStride;
        uint8_t* out = buffer + i * CellPainter::kTile;
        for (int j = 0; j < CellPainter::kTile; ++j)
            if (in[j] != key) out[j] = in[j];
    }
}
} // namespace

CellPainter::CellPainter(PlaneSet& planes) : planes_(planes) {
    for (int n = 0; n < kTiles; ++n)
        offsets_[n] = uint32_t(kHeight - kTile * (n / 40) - 1) * kStride + kTile * (n % 40);
}

bool CellPainter::ready() const {
    return screenPlane(planes_[0]) && screenPlane(planes_[kSheetA]) &&
           screenPlane(planes_[kSheetB]);
}

void CellPainter::draw(const CellLayers::Cell& cell, int col, int row, uint8_t key) {
    if (!CellLayers::inside(col, row)) return;
    VramPlane& screen = planes_[0];
    // Planes taller than the screen keep their top 400 rows at the end.
    uint8_t* out = screen.row(kTile * row) + kTile * col;
    const uint8_t* sheetA =
        planes_[kSheetA].pixels() + (planes_[kSheetA].size() - size_t(kHeight) * kStride);
    const uint8_t* sheetB =
        planes_[kSheetB].pixels() + (planes_[kSheetB].size() - size_t(kHeight) * kStride);
    const uint16_t ground = cell[CellLayers::kGround];
    const uint16_t upper = cell[CellLayers::kUpper];

    if (upper == CellLayers::kNoTile && cell[CellLayers::kFirst] == CellLayers::kEmpty &&
        cell[CellLayers::kSecond] == CellLayers::kEmpty) {
        for (int i = 0; i < kTile; ++i) {
            uint8_t* o = out - ptrdiff_t(i) * kStride;
            if (ground < kTiles)
                std::memcpy(o, sheetA + offsets_[ground] - ptrdiff_t(i) * kStride, kTile);
            else
                std::memset(o, 0, kTile);
        }
        return;
    }

    uint8_t buffer[kTile * kTile];
    if (ground < kTiles) {
        for (int i = 0; i < kTile; ++i)
            std::memcpy(buffer + i * kTile, sheetA + offsets_[ground] - ptrdiff_t(i) * kStride,
                        kTile);
    } else {
        std::memset(buffer, 0, sizeof buffer);
    }
    for (int layer : {CellLayers::kFirst, CellLayers::kSecond}) {
        const uint16_t v = cell[layer];
        if (v == CellLayers::kEmpty) continue;
        const uint16_t tile = v & 0x3FF;
        if (tile < kTiles) keyed(buffer, sheetB + offsets_[tile], key);
    }
    if (upper & CellLayers::kSheetB) {
        const uint16_t tile = upper & 0x3FF;
        if (tile < kTiles) keyed(buffer, sheetB + offsets_[tile], key);
    } else if (upper < kTiles) {
        keyed(buffer, sheetA + offsets_[upper], key);
    }
    for (int i = 0; i < kTile; ++i)
        std::memcpy(out - ptrdiff_t(i) * kStride, buffer + i * kTile, kTile);
}

} // namespace fer

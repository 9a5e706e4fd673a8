#include "platform/PaletteConverter.h"

#include <bit>
#include <cstring>

namespace fer {

namespace {
uint32_t toArgb(const PaletteEntry& e) {
    return 0xFF000000u | (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
}
} // namespace

void PaletteConverter::setPalette(std::span<const PaletteEntry, 256> palette, int64_t area) {
    for (size_t i = 0; i < 256; ++i) single_[i] = toArgb(palette[i]);
    if (pairsReady_ && single_ == pairsFor_) {
        usePairs_ = true;
        return;
    }
    usePairs_ = false;
    if (area < kPairTableArea || std::endian::native != std::endian::little) return;
    if (!pairs_) pairs_ = std::make_unique<uint64_t[]>(65536);
    // Entry (second << 8 | first): the first pixel in the low half, as it
    // lies in memory.
    uint64_t* entry = pairs_.get();
    for (uint32_t second = 0; second < 256; ++second) {
        const uint64_t high = uint64_t{single_[second]} << 32;
        for (uint32_t first = 0; first < 256; ++first) *entry++ = high | single_[first];
    }
    pairsFor_ = single_;
    pairsReady_ = true;
    usePairs_ = true;
}

void PaletteConverter::convertRow(const uint8_t* source, uint32_t* destination, int width) const {
    int col = 0;
    if (usePairs_) {
        const uint64_t* pairs = pairs_.get();
        for (; col + 8 <= width; col += 8) {
            uint64_t eight;
            std::memcpy(&eight, source + col, 8);
            const uint64_t p0 = pairs[eight & 0xFFFF];
            const uint64_t p1 = pairs[(eight >> 16) & 0xFFFF];
            const uint64_t p2 = pairs[(eight >> 32) & 0xFFFF];
            const uint64_t p3 = pairs[eight >> 48];
            std::memcpy(destination + col, &p0, 8);
            std::memcpy(destination + col + 2, &p1, 8);
            std::memcpy(destination + col + 4, &p2, 8);
            std::memcpy(destination + col + 6, &p3, 8);
        }
    }
    for (; col < width; ++col) destination[col] = single_[source[col]];
}

} // namespace fer

#pragma once
// One palette entry as the engine keeps it: red, green, blue and a byte that
// is not used. Picture files store blue, green, red and a fourth byte.

#include <array>
#include <cstdint>

namespace fer {

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::array<PaletteEntry, 256>;

} // namespace fer

#pragma once
// Palette files in the JASC-PAL text format, which most paint programs read
// and write:
//   JASC-PAL
//   0100
//   <count>
//   <red> <green> <blue>      (count lines, 0..255 each)

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace fer {

struct RgbColour {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

// The colours of a JASC-PAL text; nothing when it is not one (a wrong header,
// a count above 256, missing or out-of-range values).
std::optional<std::vector<RgbColour>> parseJascPalette(std::string_view text);

} // namespace fer

#pragma once
// The one palette that every picture of the demo game carries. Entries 0..31
// are the interface colours (fixed, so text and window look the same over
// every scene); 32..235 are scene gradients; 236..255 are black, as the
// engine keeps them.

#include <array>
#include <cstdint>

namespace demo {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

using DemoPalette = std::array<Rgb, 256>;

// Interface entries the scripts name by number.
namespace ui {
constexpr uint8_t kBlack = 0;
constexpr uint8_t kWhite = 1;
constexpr uint8_t kShadow = 2;
constexpr uint8_t kWindow = 3;
constexpr uint8_t kFrameLight = 4;
constexpr uint8_t kFrameDark = 5;
constexpr uint8_t kHighlight = 6;
constexpr uint8_t kText = 7;
constexpr uint8_t kKey = 8; // transparent key of the sprites (register 51's default)
constexpr uint8_t kGold = 9;
constexpr uint8_t kKiteRed = 10;
constexpr uint8_t kKiteYellow = 11;
constexpr uint8_t kKiteBlue = 12;
constexpr uint8_t kCloud = 13;
constexpr uint8_t kOutline = 14;
} // namespace ui

// Gradient ranges: first entry and number of entries.
struct Ramp {
    uint8_t first, count;
    uint8_t at(int i, int n) const; // entry for step i of n (clamped)
};
constexpr Ramp kSky{32, 64};
constexpr Ramp kGreen{96, 32};
constexpr Ramp kBrown{128, 32};
constexpr Ramp kSunset{160, 40};
constexpr Ramp kNight{200, 36};

const DemoPalette& demoPalette();

} // namespace demo

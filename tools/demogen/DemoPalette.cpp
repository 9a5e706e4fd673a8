#include "DemoPalette.h"

#include <algorithm>

namespace demo {

uint8_t Ramp::at(int i, int n) const {
    if (n <= 1) return first;
    const int step = std::clamp(i * (count - 1) / (n - 1), 0, count - 1);
    return static_cast<uint8_t>(first + step);
}

namespace {

void fillRamp(DemoPalette& p, Ramp ramp, Rgb from, Rgb to) {
    for (int i = 0; i < ramp.count; ++i) {
        auto mix = [&](uint8_t a, uint8_t b) {
            return static_cast<uint8_t>(a + (b - a) * i / (ramp.count - 1));
        };
        p[ramp.first + i] = {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)};
    }
}

DemoPalette build() {
    DemoPalette p{};
    p[ui::kWhite] = {255, 255, 255};
    p[ui::kWindow] = {24, 32, 72};
    p[ui::kFrameLight] = {200, 210, 240};
    p[ui::kFrameDark] = {90, 100, 160};
    p[ui::kHighlight] = {130, 70, 150};
    p[ui::kText] = {255, 244, 214};
    p[ui::kKey] = {255, 0, 255};
    p[ui::kGold] = {250, 210, 90};
    p[ui::kKiteRed] = {230, 60, 60};
    p[ui::kKiteYellow] = {255, 190, 40};
    p[ui::kKiteBlue] = {60, 120, 220};
    p[ui::kCloud] = {240, 242, 250};
    p[ui::kOutline] = {40, 40, 40};
    p[15] = {150, 230, 255};
    for (int i = 16; i < 32; ++i) p[i] = {uint8_t(i * 4), uint8_t(i * 4), uint8_t(i * 5)};
    fillRamp(p, kSky, {40, 80, 170}, {190, 225, 250});
    fillRamp(p, kGreen, {20, 70, 30}, {130, 205, 95});
    fillRamp(p, kBrown, {50, 30, 15}, {150, 100, 60});
    fillRamp(p, kSunset, {80, 40, 120}, {255, 190, 110});
    fillRamp(p, kNight, {4, 6, 24}, {60, 60, 120});
    return p;
}

} // namespace

const DemoPalette& demoPalette() {
    static const DemoPalette palette = build();
    return palette;
}

} // namespace demo

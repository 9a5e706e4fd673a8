#include "shell/CursorArt.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace fer {

namespace {

// 'O' outline, '#' inside, '.' transparent; the tip at the top-left.
constexpr std::string_view kArrow[] = {
    "O............", "OO...........", "O#O..........", "O##O.........", "O###O........",
    "O####O.......", "O#####O......", "O######O.....", "O#######O....", "O########O...",
    "O#########O..", "O##########O.", "O######OOOOOO", "O###O##O.....", "O##OO##O.....",
    "O#O..O##O....", "OO...O##O....", "O.....O##O...", "......O##O...", ".......OO....",
};
constexpr int kSize = 32;
constexpr int kShades = 4;
constexpr uint8_t kTransparent = 0;
constexpr uint8_t kOutline = 1;
constexpr uint8_t kFirstShade = 2;

PaletteEntry hsv(double hue, double saturation, double value) {
    const double c = value * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) r = c, g = x;
    else if (h < 2) r = x, g = c;
    else if (h < 3) g = c, b = x;
    else if (h < 4) g = x, b = c;
    else if (h < 5) r = x, b = c;
    else r = c, b = x;
    const double m = value - c;
    auto byte = [](double v) { return static_cast<uint8_t>(std::clamp(v * 255.0 + 0.5, 0.0, 255.0)); };
    return {byte(r + m), byte(g + m), byte(b + m), 0};
}

CursorImage drawCursor(int k, int frame) {
    CursorImage image;
    image.width = kSize;
    image.height = kSize;
    image.pixels.assign(static_cast<size_t>(kSize) * kSize, kTransparent);
    image.transparent = kTransparent;
    image.hotX = 0;
    image.hotY = 0;
    image.palette[kTransparent] = {255, 0, 255, 0};
    image.palette[kOutline] = {16, 16, 24, 0};
    const double hue = 24.0 * k;
    for (int s = 0; s < kShades; ++s)
        image.palette[kFirstShade + s] = hsv(hue, 0.75, 0.55 + 0.15 * s);
    // Scaled up by one half: the arrow is 19 pixels wide and 30 high.
    const int rows = static_cast<int>(std::size(kArrow));
    for (int y = 0; y < kSize; ++y) {
        const int sy = y * 2 / 3;
        if (sy >= rows) break;
        const std::string_view row = kArrow[sy];
        for (int x = 0; x < kSize; ++x) {
            const size_t sx = static_cast<size_t>(x * 2 / 3);
            if (sx >= row.size()) break;
            uint8_t v = kTransparent;
            if (row[sx] == 'O') v = kOutline;
            // Bands of shade that move down by two rows from one image to the next.
            if (row[sx] == '#') v = static_cast<uint8_t>(kFirstShade + ((y + 2 * frame) / 2 + x / 4) % kShades);
            image.pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)] = v;
        }
    }
    return image;
}

} // namespace

CursorArt::CursorArt() {
    for (int n = 0; n < kCount; ++n) images_.push_back(drawCursor(n / 2, n % 2));
}

const CursorImage* CursorArt::image(uint16_t n) const {
    if (n < kFirst || n >= kFirst + kCount) return nullptr;
    return &images_[n - kFirst];
}

} // namespace fer

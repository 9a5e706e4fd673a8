// demoicon OUT.png: draws the engine's icon, 64 x 64: a kite on its string
// against an evening sky, in the demo's palette.

#include <cmath>
#include <cstdio>

#include "DemoPalette.h"
#include "graphics/PngWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demoicon OUT.png\n");
        return 2;
    }
    constexpr int kSize = 64;
    fer::VramPlane plane(kSize, kSize);
    uint8_t* p = plane.pixels();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            uint8_t c = demo::kSky.at(y, kSize);
            // The kite: a diamond, red and yellow halves, blue cross.
            const int dx = std::abs(x - 34), dy = std::abs(y - 24);
            if (dx * 3 + dy * 2 <= 40) c = x < 34 ? demo::ui::kKiteRed : demo::ui::kKiteYellow;
            if (dx * 3 + dy * 2 <= 40 && (x == 34 || y == 24)) c = demo::ui::kKiteBlue;
            // Its string down to the bottom-left corner, and a tail.
            if (y > 44 && std::abs((x - 34) * 20 + (y - 44) * 24) < 22) c = demo::ui::kOutline;
            if (y > 44 && y < 60 && std::abs(x - (34 + int(3 * std::sin(y / 2.0)))) <= 1 && (y / 4) % 2 == 0)
                c = demo::ui::kKiteRed;
            p[y * kSize + x] = c;
        }
    fer::Palette palette{};
    const demo::DemoPalette& d = demo::demoPalette();
    for (int i = 0; i < 256; ++i) palette[size_t(i)] = {d[size_t(i)].r, d[size_t(i)].g, d[size_t(i)].b, 0};
    if (fer::writeIndexedPng(argv[1], plane, kSize, palette) != fer::WriteOutcome::kDone) {
        std::fprintf(stderr, "demoicon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

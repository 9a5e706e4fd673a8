#pragma once
// The demo game's pictures, drawn from simple shapes and gradients. The same
// functions serve the generator (which writes the files) and the end-to-end
// test (which computes what the screen must show).

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Picture {
    std::string name;      // the name the scripts load, e.g. "TITLE.PIC"
    uint16_t x = 0, y = 0; // default position on the plane
    uint16_t width = 0, height = 0;
    std::vector<uint8_t> pixels; // palette indices, top row first

    uint8_t at(int px, int py) const { return pixels[size_t(py) * width + size_t(px)]; }
};

// Full-screen scenes (640 x 400 at 0, 0).
Picture titlePicture(); // night sky, moon, stars, hills
Picture fieldPicture(); // day sky, sun, clouds, a green slope
Picture hillPicture();  // sunset sky and hill tops (first branch)
Picture treePicture();  // a big tree on a meadow (second branch)
// Interface and sprite.
Picture windowPicture(); // message window frame, 608 x 112 at 16, 280
Picture kitePicture();   // 64 x 96 kite on the key colour

std::vector<Picture> allPictures();

// Window geometry shared with the scripts.
constexpr int kWindowX = 16, kWindowY = 280, kWindowW = 608, kWindowH = 112;
constexpr int kKiteW = 64, kKiteH = 96;

} // namespace demo

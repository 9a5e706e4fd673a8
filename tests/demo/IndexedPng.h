#pragma once
// Reads the engine's screenshots: 8-bit indexed PNGs whose image data is zlib
// with stored (uncompressed) deflate blocks and filter 0 on every row.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace demotest {

struct IndexedPng {
    int width = 0, height = 0;
    std::vector<std::array<uint8_t, 3>> palette;
    std::vector<uint8_t> pixels; // indices, top row first

    // The colour the pixel shows.
    std::array<uint8_t, 3> rgb(int x, int y) const {
        return palette.at(pixels.at(size_t(y) * width + x));
    }
};

// False (with a reason) when the file is not such a PNG.
bool readIndexedPng(const std::string& path, IndexedPng& png, std::string& error);

} // namespace demotest

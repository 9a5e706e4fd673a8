#include "PictureFiles.h"

#include "files/LzssEncoder.h"

namespace demo {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putPalette(std::vector<uint8_t>& out, const DemoPalette& palette) {
    for (const Rgb& c : palette) out.insert(out.end(), {c.b, c.g, c.r, 0});
}

size_t paddedWidth(const Picture& picture) {
    return (size_t(picture.width) + 3) / 4 * 4;
}

// Rows bottom first, each padded with zeros to a multiple of 4 bytes.
std::vector<uint8_t> bottomUpRows(const Picture& picture) {
    const size_t stride = paddedWidth(picture);
    std::vector<uint8_t> rows(stride * picture.height, 0);
    for (size_t y = 0; y < picture.height; ++y) {
        const uint8_t* src = picture.pixels.data() + (picture.height - 1 - y) * picture.width;
        std::copy(src, src + picture.width, rows.begin() + ptrdiff_t(y * stride));
    }
    return rows;
}

} // namespace

std::vector<uint8_t> bitmapFile(const Picture& picture, const DemoPalette& palette) {
    const std::vector<uint8_t> rows = bottomUpRows(picture);
    const uint32_t offBits = 14 + 40 + 256 * 4;
    std::vector<uint8_t> out;
    out.insert(out.end(), {'B', 'M'});
    put32(out, offBits + uint32_t(rows.size()));
    put32(out, 0);
    put32(out, offBits);
    put32(out, 40);
    put32(out, picture.width);
    put32(out, picture.height);
    put16(out, 1);
    put16(out, 8);
    put32(out, 0); // uncompressed
    put32(out, uint32_t(rows.size()));
    put32(out, picture.x); // the engine reads the default position here
    put32(out, picture.y);
    put32(out, 256);
    put32(out, 0);
    putPalette(out, palette);
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

std::vector<uint8_t> lzssPictureFile(const Picture& picture, const DemoPalette& palette) {
    std::vector<uint8_t> coded;
    if (!fer::LzssEncoder().encode(bottomUpRows(picture), coded)) return {};
    std::vector<uint8_t> out;
    put16(out, picture.x);
    put16(out, picture.y);
    put16(out, picture.width);
    put16(out, picture.height);
    putPalette(out, palette);
    out.insert(out.end(), coded.begin(), coded.end());
    return out;
}

} // namespace demo

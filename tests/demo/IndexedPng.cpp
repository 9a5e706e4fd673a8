#include "IndexedPng.h"

#include <fstream>
#include <iterator>

namespace demotest {

namespace {

uint32_t big32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

bool fail(std::string& error, const char* why) {
    error = why;
    return false;
}

} // namespace

bool readIndexedPng(const std::string& path, IndexedPng& png, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file(std::istreambuf_iterator<char>(in), {});
    if (file.size() < 8 || file[1] != 'P' || file[2] != 'N' || file[3] != 'G')
        return fail(error, "not a PNG");
    std::vector<uint8_t> zlib;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = big32(file, at);
        if (at + 12 + length > file.size()) return fail(error, "chunk past the end");
        const std::string type(file.begin() + ptrdiff_t(at + 4), file.begin() + ptrdiff_t(at + 8));
        const size_t data = at + 8;
        if (type == "IHDR") {
            png.width = int(big32(file, data));
            png.height = int(big32(file, data + 4));
            if (file[data + 8] != 8 || file[data + 9] != 3) return fail(error, "not 8-bit indexed");
        } else if (type == "PLTE") {
            for (size_t i = 0; i + 3 <= length; i += 3)
                png.palette.push_back({file[data + i], file[data + i + 1], file[data + i + 2]});
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), file.begin() + ptrdiff_t(data),
                        file.begin() + ptrdiff_t(data + length));
        }
        at += 12 + length;
    }
    // zlib header, then stored blocks: header byte, LEN, NLEN, bytes.
    std::vector<uint8_t> raw;
    size_t at = 2;
    for (bool last = false; !last;) {
        if (at + 5 > zlib.size()) return fail(error, "deflate data cut short");
        last = zlib[at] & 1;
        if ((zlib[at] >> 1 & 3) != 0) return fail(error, "not a stored block");
        const size_t length = zlib[at + 1] | zlib[at + 2] << 8;
        at += 5;
        if (at + length > zlib.size()) return fail(error, "stored block cut short");
        raw.insert(raw.end(), zlib.begin() + ptrdiff_t(at), zlib.begin() + ptrdiff_t(at + length));
        at += length;
    }
    const size_t stride = size_t(png.width) + 1;
    if (png.width <= 0 || raw.size() != stride * size_t(png.height))
        return fail(error, "wrong image data size");
    for (int y = 0; y < png.height; ++y) {
        if (raw[y * stride] != 0) return fail(error, "row filter other than 0");
        png.pixels.insert(png.pixels.end(), raw.begin() + ptrdiff_t(y * stride + 1),
                          raw.begin() + ptrdiff_t((y + 1) * stride));
    }
    if (png.palette.empty()) return fail(error, "no palette");
    return true;
}

} // namespace demotest

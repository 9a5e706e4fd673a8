#include "graphics/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace fer {

namespace {

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = crcTable()[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

void chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks.
std::vector<uint8_t> storedZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z{0x78, 0x01};
    size_t pos = 0;
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
                 raw.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    putBig32(z, (b << 16) | a);
    return z;
}

} // namespace

std::vector<uint8_t> encodeIndexedPng(const VramPlane& plane, int height, const Palette& palette) {
    const int width = plane.width();
    height = std::clamp(height, 0, static_cast<int>(plane.height()));
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(width));
    putBig32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 3, 0, 0, 0}); // 8 bits, indexed colour
    chunk(out, "IHDR", header);
    std::vector<uint8_t> plte;
    for (const PaletteEntry& e : palette) plte.insert(plte.end(), {e.red, e.green, e.blue});
    chunk(out, "PLTE", plte);
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (width + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        const uint8_t* row = plane.row(y);
        raw.insert(raw.end(), row, row + width);
    }
    chunk(out, "IDAT", storedZlib(raw));
    chunk(out, "IEND", {});
    return out;
}

WriteOutcome writeIndexedPng(const std::string& path, const VramPlane& plane, int height,
                             const Palette& palette) {
    if (!plane.valid()) return WriteOutcome::kWriteFailed;
    return replaceFileAtomically(path, encodeIndexedPng(plane, height, palette));
}

} // namespace fer

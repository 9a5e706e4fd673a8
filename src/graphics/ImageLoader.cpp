#include "graphics/ImageLoader.h"

#include <algorithm>
#include <cstring>

#include "files/SettingsFile.h"

namespace fer {

namespace {

// Little-endian fields; bytes past the end of the input read as 0.
uint32_t readU32(std::span<const uint8_t> in, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        if (at + i < in.size()) v |= uint32_t{in[at + i]} << (8 * i);
    return v;
}

uint16_t readU16(std::span<const uint8_t> in, size_t at) {
    return static_cast<uint16_t>(readU32(in.first(std::min(in.size(), at + 2)), at));
}

// Palette entries stored blue, green, red, unused; only whole entries that
// lie inside the input are taken.
void takePalette(std::span<const uint8_t> in, size_t at, uint64_t count, Palette& out) {
    const uint64_t available = in.size() > at ? (in.size() - at) / 4 : 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>({count, available, out.size()}));
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* e = in.data() + at + 4 * i;
        out[i].red = e[2];
        out[i].green = e[1];
        out[i].blue = e[0];
    }
}

uint64_t roundUpTo4(uint64_t n) {
    return (n + 3) & ~uint64_t{3};
}

// The most bytes an LZSS stream of n bytes can produce: a group of one flag
// byte and eight references (17 bytes) gives 144.
uint64_t mostDecoded(uint64_t n) {
    return (n / 17 + 1) * 8 * lzss::kMaxMatch;
}

} // namespace

ImageLoader::ImageLoader(Format format)
    : format_(format), decoder_(std::make_unique<LzssDecoder>()) {}

ImageLoader::Format ImageLoader::formatFromSettings(const SettingsFile& settings) {
    return settings.getInt("GRAPHICS", "bBGTYPE", 0) == 0 ? Format::kBitmap : Format::kLzssPicture;
}

int ImageLoader::loadImage(std::span<const uint8_t> file, Palette& paletteOut, VramPlane& plane,
                           uint16_t x, uint16_t y) {
    if (format_ == Format::kBitmap) return loadBitmap(file, paletteOut, plane, x, y);
    return loadLzssPicture(file, paletteOut, plane, x, y);
}

int ImageLoader::loadBitmap(std::span<const uint8_t> file, Palette& paletteOut, VramPlane& plane,
                            uint16_t x, uint16_t y) {
    const int32_t width = static_cast<int32_t>(readU32(file, 18));
    const int32_t height = static_cast<int32_t>(readU32(file, 22));
    const uint16_t bitCount = readU16(file, 28);
    if (x == kStoredPosition) x = static_cast<uint16_t>(readU32(file, 38));
    if (y == kStoredPosition) y = static_cast<uint16_t>(readU32(file, 42));
    uint64_t colours = readU32(file, 46);
    if (colours == 0) colours = bitCount < 32 ? uint64_t{1} << bitCount : uint64_t{1} << 32;
    takePalette(file, kBitmapHeaderSize, colours, paletteOut);

    lastRect_ = {x, y, static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
    if (width <= 0 || height <= 0 || !plane.valid() || x >= plane.width()) return 1;

    const uint64_t rowBytes = roundUpTo4(static_cast<uint64_t>(width));
    const uint64_t pixels = kBitmapHeaderSize + 4 * colours;
    const size_t columns = static_cast<size_t>(std::min<uint64_t>(rowBytes, plane.width() - x));
    // File row k (0 = bottom) goes to plane row y + height - 1 - k.
    const int64_t bottom = int64_t{y} + height - 1;
    const int64_t firstRow = std::max<int64_t>(0, bottom - (plane.height() - 1));
    for (int64_t k = firstRow; k < height; ++k) {
        const int64_t row = bottom - k;
        if (row < 0) break;
        const uint64_t at = pixels + static_cast<uint64_t>(k) * rowBytes;
        if (at >= file.size()) break;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(columns, file.size() - at));
        std::memcpy(plane.row(static_cast<int>(row)) + x, file.data() + at, n);
    }
    return 1;
}

int ImageLoader::loadLzssPicture(std::span<const uint8_t> file, Palette& paletteOut,
                                 VramPlane& plane, uint16_t x, uint16_t y) {
    if (x == kStoredPosition) x = readU16(file, 0);
    if (y == kStoredPosition) y = readU16(file, 2);
    const uint16_t width = readU16(file, 4);
    const uint16_t height = readU16(file, 6);
    takePalette(file, 8, 256, paletteOut);
    lastRect_ = {x, y, width, height};
    if (width == 0 || height == 0 || file.size() <= kLzssHeaderSize) return 1;

    const auto stride = static_cast<uint32_t>(roundUpTo4(width));
    if (!plane.valid()) return 1;
    // The rows are decoded into one flat buffer, then copied into the plane a
    // row at a time: bottom row first, parts outside the plane passed over.
    const std::span<const uint8_t> stream = file.subspan(kLzssHeaderSize);
    const uint64_t wanted = std::min<uint64_t>(uint64_t{stride} * height, mostDecoded(stream.size()));
    if (rows_.size() < wanted) rows_.resize(static_cast<size_t>(wanted));
    const size_t produced =
        decoder_->decode(stream, std::span<uint8_t>(rows_.data(), static_cast<size_t>(wanted)))
            .produced;
    if (x >= plane.width()) return 1;
    const size_t visible = std::min<size_t>(stride, plane.width() - x);
    const int64_t bottom = int64_t{y} + height - 1;
    for (uint64_t k = 0; k * stride < produced; ++k) {
        const int64_t row = bottom - static_cast<int64_t>(k);
        if (row < 0) break;
        if (row >= plane.height()) continue;
        const size_t at = static_cast<size_t>(k * stride);
        std::memcpy(plane.row(static_cast<int>(row)) + x, rows_.data() + at,
                    std::min(visible, produced - at));
    }
    return 1;
}

} // namespace fer

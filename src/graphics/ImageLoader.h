#pragma once
// Decodes a picture file, already read into memory, straight into a
// rectangle of a video plane and hands its palette back. A game uses one of
// two formats throughout, chosen once by the "bBGTYPE" setting:
//
// 0: an 8-bit bottom-up bitmap. Only biWidth (18), biHeight (22),
//    biBitCount (28), biXPelsPerMeter (38, default x), biYPelsPerMeter (42,
//    default y) and biClrUsed (46) are read; the colour table follows at 54
//    and the rows follow the colour table directly, bottom row first, each
//    padded to a multiple of 4 bytes. Padding bytes are copied too.
// otherwise: an LzssPicture: u16 x, y, width, height, 256 palette entries
//    (blue, green, red, unused), then an LZSS stream of the rows, bottom row
//    first, each padded to a multiple of 4 bytes, decoded until the top row
//    of the rectangle is full.
//
// Pixel values are copied unchanged. A position of 0xFFFF takes the one
// stored in the file. Rows and columns that fall outside the plane are
// dropped, and decoding stops at the end of the input: a picture never
// writes outside the plane nor reads outside its input.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "files/Lzss.h"
#include "core/PaletteEntry.h"
#include "graphics/VramPlane.h"

namespace fer {

class SettingsFile;

struct PictureRect {
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    friend bool operator==(const PictureRect&, const PictureRect&) = default;
};

class ImageLoader {
  public:
    enum class Format { kBitmap, kLzssPicture };
    static constexpr uint16_t kStoredPosition = 0xFFFF;
    static constexpr size_t kBitmapHeaderSize = 54;
    static constexpr size_t kLzssHeaderSize = 1032;

    explicit ImageLoader(Format format);

    // The format the settings choose ("bBGTYPE" in "GRAPHICS"; 0 = bitmap).
    static Format formatFromSettings(const SettingsFile& settings);

    Format format() const { return format_; }

    // Decodes file into plane at (x, y). Writes red, green and blue of the
    // palette entries the file holds (byte 3 is left alone). Returns 1; the
    // rectangle is kept for lastRect.
    int loadImage(std::span<const uint8_t> file, Palette& paletteOut, VramPlane& plane, uint16_t x,
                  uint16_t y);

    // x, y, width (not rounded) and height of the last picture loaded.
    PictureRect lastRect() const { return lastRect_; }

  private:
    int loadBitmap(std::span<const uint8_t> file, Palette& paletteOut, VramPlane& plane, uint16_t x,
                   uint16_t y);
    int loadLzssPicture(std::span<const uint8_t> file, Palette& paletteOut, VramPlane& plane,
                        uint16_t x, uint16_t y);

    Format format_;
    std::unique_ptr<LzssDecoder> decoder_;
    std::vector<uint8_t> rows_; // an LzssPicture's decoded rows, kept for the next
    PictureRect lastRect_;
};

} // namespace fer

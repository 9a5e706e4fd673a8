#pragma once
// The two picture file formats the engine reads: an 8-bit bottom-up bitmap
// with its colour table, and the LZSS-coded picture (position, size, 256
// palette entries, coded rows bottom row first, each padded to 4 bytes).

#include <cstdint>
#include <vector>

#include "DemoPalette.h"
#include "DemoPictures.h"

namespace demo {

std::vector<uint8_t> bitmapFile(const Picture& picture, const DemoPalette& palette);
// Empty when the encoder fails.
std::vector<uint8_t> lzssPictureFile(const Picture& picture, const DemoPalette& palette);

} // namespace demo

#pragma once
// The image loader's fuzz entry point, callable from the tests as well.

#include <cstddef>
#include <cstdint>

#include "graphics/ImageLoader.h"

namespace fer {
class PlaneSet;
}

namespace fer::fuzz {

// Byte 0 picks the format and the position, the rest is the picture file.
// A block transfer whose parameters come from the input follows, so the
// clipping of the rectangle engine is exercised too.
// planes must be allocated. Returns the rectangle the loader reports for the
// picture.
PictureRect imageLoader(PlaneSet& planes, const uint8_t* data, size_t size);

} // namespace fer::fuzz

#pragma once
// Writes an 8-bit plane through a palette as an indexed-colour PNG: what the
// player sees, byte for byte. The image data is stored uncompressed (deflate
// stored blocks), which every PNG reader accepts.

#include <cstdint>
#include <string>
#include <vector>

#include "core/PaletteEntry.h"
#include "files/AtomicFileWriter.h"
#include "graphics/VramPlane.h"

namespace fer {

// The PNG file's bytes for rows 0..height-1 (top first) of the plane.
std::vector<uint8_t> encodeIndexedPng(const VramPlane& plane, int height, const Palette& palette);

// Writes the file in the one safe way (see AtomicFileWriter.h).
WriteOutcome writeIndexedPng(const std::string& path, const VramPlane& plane, int height,
                             const Palette& palette);

} // namespace fer

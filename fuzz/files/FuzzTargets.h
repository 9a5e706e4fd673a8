#pragma once
// The fuzz entry points, callable from the regression tests as well.

#include <cstddef>
#include <cstdint>

namespace fer::fuzz {

// How many bytes the stream decoded to.
size_t lzssDecoder(const uint8_t* data, size_t size);
// Whether the archive loaded.
bool arcArchive(const uint8_t* data, size_t size);
void settingsText(const uint8_t* data, size_t size);

} // namespace fer::fuzz

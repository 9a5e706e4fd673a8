#pragma once
// The fuzz entry points, callable from the regression tests as well.

#include <cstddef>
#include <cstdint>

namespace fer::fuzz {

int lzssDecoder(const uint8_t* data, size_t size);
int arcArchive(const uint8_t* data, size_t size);
int settingsText(const uint8_t* data, size_t size);

} // namespace fer::fuzz

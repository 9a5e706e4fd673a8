#pragma once
// Fills of a byte range with one value repeated: bytes, 16-bit and 32-bit
// words (in the machine's byte order, at any alignment). Silence is filled
// with them.

#include <cstddef>
#include <cstdint>

namespace fer {

void fillBytes(void* destination, uint8_t value, size_t count);
void fillWords16(void* destination, uint16_t value, size_t count);
void fillWords32(void* destination, uint32_t value, size_t count);

// Silence for PCM of that shape: 0x80 for 8-bit sound, 0 for every other
// depth, written in whole sample frames; a remainder shorter than a frame is
// left unchanged, and so is everything when a frame has no bytes.
void fillSilence(void* destination, size_t length, uint16_t channels, uint16_t bitsPerSample);

} // namespace fer

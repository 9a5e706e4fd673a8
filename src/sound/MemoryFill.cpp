#include "sound/MemoryFill.h"

#include <cstring>

namespace fer {

void fillBytes(void* destination, uint8_t value, size_t count) {
    if (count != 0) std::memset(destination, value, count);
}

void fillWords16(void* destination, uint16_t value, size_t count) {
    auto* out = static_cast<uint8_t*>(destination);
    for (size_t i = 0; i < count; ++i) std::memcpy(out + 2 * i, &value, 2);
}

void fillWords32(void* destination, uint32_t value, size_t count) {
    auto* out = static_cast<uint8_t*>(destination);
    for (size_t i = 0; i < count; ++i) std::memcpy(out + 4 * i, &value, 4);
}

void fillSilence(void* destination, size_t length, uint16_t channels, uint16_t bitsPerSample) {
    const size_t frame = size_t{channels} * (bitsPerSample / 8u);
    if (frame == 0) return;
    const size_t whole = length - length % frame;
    fillBytes(destination, bitsPerSample == 8 ? 0x80 : 0x00, whole);
}

} // namespace fer

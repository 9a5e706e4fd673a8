#pragma once
// The plain ring decoder, one byte at a time, as the coding is usually
// written down: a flag word whose high byte counts the items left, a 4096-byte
// ring, every output byte stored back into it. The tests check the engine's
// decoder against it and the benchmarks measure against it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/Lzss.h"

namespace fer::test {

class SimpleLzss {
  public:
    SimpleLzss() { ring_.fill(0); }

    LzssResult decode(std::span<const uint8_t> input, std::span<uint8_t> output) {
        for (uint32_t i = 0; i < lzss::kStartPosition; ++i) ring_[i] = 0;
        size_t pos = 0, produced = 0;
        uint32_t r = lzss::kStartPosition;
        uint32_t flags = 0;
        for (;;) {
            if (((flags >>= 1) & 0x100) == 0) {
                if (pos >= input.size()) break;
                flags = input[pos++] | 0xFF00u; // the high byte counts eight items
            }
            if (flags & 1) {
                if (pos >= input.size()) break;
                if (produced == output.size()) return {pos, produced, true};
                const uint8_t c = input[pos++];
                output[produced++] = c;
                ring_[r++] = c;
                r &= lzss::kRingMask;
            } else {
                if (pos >= input.size()) break;
                uint32_t i = input[pos++];
                if (pos >= input.size()) return {input.size(), produced, false};
                uint32_t j = input[pos++];
                i |= (j & 0xF0u) << 4;
                j = (j & 0x0Fu) + 2;
                for (uint32_t k = 0; k <= j; ++k) {
                    if (produced == output.size()) return {pos, produced, true};
                    const uint8_t c = ring_[(i + k) & lzss::kRingMask];
                    output[produced++] = c;
                    ring_[r++] = c;
                    r &= lzss::kRingMask;
                }
            }
        }
        return {pos, produced, false};
    }

  private:
    std::array<uint8_t, lzss::kRingSize> ring_;
};

} // namespace fer::test

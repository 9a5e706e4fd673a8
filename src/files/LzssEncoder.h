#pragma once
// Produces LZSS streams (see Lzss.h) that any decoder following the format
// reads: references never reach back more than 4095 bytes, so every byte a
// reference copies has been written (or is one of the ring's cleared bytes)
// before it is read. Matches are found with hash chains over the whole
// window, and the parse is chosen by cost (9 bits a literal, 17 a reference)
// over the longest match at every position, which never codes larger than
// a greedy longest-match encoder over the same window.

#include <cstdint>
#include <span>
#include <vector>

namespace fer {

class LzssEncoder {
  public:
    // maxChain bounds the candidates tried per position; the default walks
    // the whole window.
    explicit LzssEncoder(uint32_t maxChain = 4096) : maxChain_(maxChain) {}

    // Replaces output with the coded form of input; false when memory runs out.
    bool encode(std::span<const uint8_t> input, std::vector<uint8_t>& output) const noexcept;

  private:
    uint32_t maxChain_;
};

} // namespace fer

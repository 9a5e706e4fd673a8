#include "files/Lzss.h"

#include <bit>

namespace fer {

namespace {

using namespace lzss;

constexpr uint32_t kTail = kRingSize - kStartPosition; // ring positions kept between streams

// A stream's view of what it has produced, with the ring it started from in
// front: position -m (1 <= m <= 4096) is ring position (4078 - m) mod 4096,
// which is zero except for the kept tail.
class FlatOutput {
  public:
    FlatOutput(uint8_t* out, const uint8_t* tail) : out_(out), tail_(tail) {}

    uint8_t at(ptrdiff_t i) const {
        if (i >= 0) return out_[i];
        const ptrdiff_t before = i + static_cast<ptrdiff_t>(kRingSize); // 0..4095
        return before < static_cast<ptrdiff_t>(kTail) ? tail_[before] : 0;
    }

  private:
    uint8_t* out_;
    const uint8_t* tail_;
};

// The distance back from output position o to the byte that ring position
// `from` holds: 1..4096.
inline size_t distanceTo(size_t o, uint32_t from) {
    return ((static_cast<uint32_t>(o) + kStartPosition - from - 1) & kRingMask) + 1;
}

inline void copy8(uint8_t* dst, const uint8_t* src) { std::memcpy(dst, src, 8); }
inline void copy16(uint8_t* dst, const uint8_t* src) { std::memcpy(dst, src, 16); }

} // namespace

void LzssDecoder::keepRingTail(const uint8_t* out, size_t produced) {
    for (uint32_t k = 0; k < kTail; ++k) {
        if (produced <= k) break;
        const size_t last = k + (produced - 1 - k) / kRingSize * kRingSize;
        ring_[kStartPosition + k] = out[last];
    }
}

LzssResult LzssDecoder::decode(std::span<const uint8_t> input, std::span<uint8_t> output) {
    const uint8_t* const in = input.data();
    const size_t size = input.size();
    uint8_t* const out = output.data();
    const size_t capacity = output.size();
    const FlatOutput view(out, ring_.data() + kStartPosition);
    size_t pos = 0;
    size_t o = 0;
    LzssResult result;

    // Fast path: whole groups whose input and output are known to be there
    // (a group takes at most 17 input and 144 output bytes). Its wide moves
    // may write up to 16 bytes past the item they copy; the input it leaves
    // holds at least two more whole groups, at least 16 more bytes, so those
    // stray bytes are always overwritten before decoding ends.
    while (size - pos >= 3 * 17 && capacity - o >= 3 * 8 * kMaxMatch) {
        uint32_t flags = in[pos++];
        int left = 8;
        for (;;) {
            // The literals up to the next reference, eight bytes moved at once.
            const int literals = std::countr_one(flags);
            copy8(out + o, in + pos);
            o += static_cast<size_t>(literals);
            pos += static_cast<size_t>(literals);
            left -= literals;
            if (left <= 0) break;
            flags >>= literals + 1;
            const uint32_t b1 = in[pos + 1];
            const uint32_t from = in[pos] | ((b1 & 0xF0u) << 4);
            const uint32_t length = (b1 & 0x0Fu) + kMinMatch;
            pos += 2;
            const size_t distance = distanceTo(o, from);
            uint8_t* const dst = out + o;
            const uint8_t* const src = dst - distance;
            if (distance > o) [[unlikely]] {
                // Reaches back into the ring the stream started with.
                const ptrdiff_t back =
                    static_cast<ptrdiff_t>(o) - static_cast<ptrdiff_t>(distance);
                for (uint32_t k = 0; k < length; ++k) dst[k] = view.at(back + k);
            } else if (distance >= 16) {
                copy16(dst, src);
                if (length > 16) copy16(dst + 16, src + 16);
            } else if (distance >= 8) {
                // Each 8-byte step reads only bytes written before it.
                for (uint32_t k = 0; k < length; k += 8) copy8(dst + k, src + k);
            } else if (distance == 1) {
                std::memset(dst, src[0], length);
            } else {
                for (uint32_t k = 0; k < length; ++k) dst[k] = src[k];
            }
            o += length;
            if (--left == 0) break;
        }
    }

    // Careful path near the end of the input or the output: the end checks
    // come before every flag byte, literal and reference byte.
    for (;;) {
        if (pos >= size) {
            result = {pos, o, false};
            break;
        }
        uint32_t flags = in[pos++];
        bool done = false;
        for (int item = 0; item < 8 && !done; ++item, flags >>= 1) {
            if (flags & 1) {
                if (pos >= size) {
                    result = {pos, o, false};
                    done = true;
                } else if (o == capacity) {
                    result = {pos, o, true};
                    done = true;
                } else {
                    out[o++] = in[pos++];
                }
                continue;
            }
            if (pos + 1 >= size) { // a cut reference is dropped
                result = {size, o, false};
                done = true;
                continue;
            }
            const uint32_t b1 = in[pos + 1];
            const uint32_t from = in[pos] | ((b1 & 0xF0u) << 4);
            const uint32_t length = (b1 & 0x0Fu) + kMinMatch;
            pos += 2;
            const ptrdiff_t src =
                static_cast<ptrdiff_t>(o) - static_cast<ptrdiff_t>(distanceTo(o, from));
            const size_t room = capacity - o;
            const uint32_t count = room < length ? static_cast<uint32_t>(room) : length;
            for (uint32_t k = 0; k < count; ++k) out[o + k] = view.at(src + k);
            o += count;
            if (count < length) {
                result = {pos, o, true};
                done = true;
            }
        }
        if (done) break;
    }
    keepRingTail(out, result.produced);
    return result;
}

} // namespace fer

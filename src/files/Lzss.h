#pragma once
// The LZSS coding of scripts, data files and coded pictures: a 4096-byte ring
// and references of 3 to 18 bytes. A stream is a run of groups, each a flag
// byte whose bits (least significant first) say literal (1) or reference (0)
// for up to eight items. A reference is two bytes b0, b1: ring position
// b0 | (b1 & 0xF0) << 4 and length (b1 & 0x0F) + 3. Every produced byte is
// also stored in the ring at the write position, so a copy that overlaps it
// repeats what it has just produced. Streams carry no length or end marker:
// decoding ends with the input, and a reference cut short by that end is
// dropped.
//
// The decoder core is a template on its output so the picture decoder can
// write into a picture rectangle with the same loop. An output (a "sink")
// provides:
//     size_t room() const;     // bytes it can still take
//     void put(uint8_t byte);  // called only while room() > 0
// When the sink runs out of room before the input ends, decoding stops and
// reports an overflow instead of writing past it.

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace fer {

namespace lzss {
inline constexpr uint32_t kRingSize = 4096;
inline constexpr uint32_t kRingMask = kRingSize - 1;
inline constexpr uint32_t kStartPosition = 4078; // r at the start of every stream
inline constexpr uint32_t kMinMatch = 3;
inline constexpr uint32_t kMaxMatch = 18;
} // namespace lzss

template <class Sink>
concept LzssSink = requires(Sink& sink, const Sink& view, uint8_t byte) {
    { view.room() } -> std::convertible_to<size_t>;
    sink.put(byte);
};

struct LzssResult {
    size_t consumed = 0;   // input bytes read
    size_t produced = 0;   // output bytes written
    bool overflow = false; // the output filled up before the stream ended
};

// Output into a plain byte buffer.
class ByteSpanSink {
  public:
    explicit ByteSpanSink(std::span<uint8_t> out) : out_(out) {}
    size_t room() const { return out_.size() - pos_; }
    void put(uint8_t byte) { out_[pos_++] = byte; }
    void putBlock(const uint8_t* bytes, size_t n) {
        std::memcpy(out_.data() + pos_, bytes, n);
        pos_ += n;
    }
    size_t written() const { return pos_; }

  private:
    std::span<uint8_t> out_;
    size_t pos_ = 0;
};

class LzssDecoder {
  public:
    LzssDecoder() { ring_.fill(0); }

    // Decodes one whole stream. Ring positions 0..4077 are cleared first;
    // 4078..4095 keep what the previous stream left there, and a valid stream
    // never reads them before writing them.
    template <LzssSink Sink> LzssResult decode(std::span<const uint8_t> input, Sink& sink);

    // Decodes into a flat buffer, straight into it: a reference reads the
    // bytes already produced, or, before the first 4096 of them, the ring as
    // it was at the start of the stream. Same result, byte for byte, as the
    // ring loop; nothing is written past the bytes produced.
    LzssResult decode(std::span<const uint8_t> input, std::span<uint8_t> output);

  private:
    // Output byte i lands at ring position (kStartPosition + i) mod 4096; the
    // positions 4078..4095 then hold the last bytes produced there.
    void keepRingTail(const uint8_t* out, size_t produced);

    std::array<uint8_t, lzss::kRingSize> ring_;
};

template <LzssSink Sink>
LzssResult LzssDecoder::decode(std::span<const uint8_t> input, Sink& sink) {
    using namespace lzss;
    for (uint32_t i = 0; i < kStartPosition; ++i) ring_[i] = 0;
    uint8_t* const ring = ring_.data();
    const uint8_t* const in = input.data();
    const size_t size = input.size();
    size_t pos = 0;
    size_t produced = 0;
    uint32_t r = kStartPosition;

    for (;;) {
        // Fast path: a whole group whose input and output are known to be
        // there (a group takes at most 17 input and 144 output bytes).
        if (size - pos >= 17 && sink.room() >= 8 * kMaxMatch) {
            uint32_t flags = in[pos++];
            for (int item = 0; item < 8; ++item, flags >>= 1) {
                if (flags & 1) {
                    const uint8_t byte = in[pos++];
                    sink.put(byte);
                    ring[r] = byte;
                    r = (r + 1) & kRingMask;
                    ++produced;
                } else {
                    const uint32_t b1 = in[pos + 1];
                    const uint32_t from = in[pos] | ((b1 & 0xF0u) << 4);
                    const uint32_t length = (b1 & 0x0Fu) + kMinMatch;
                    pos += 2;
                    if constexpr (requires(Sink & s, const uint8_t* p, size_t n) {
                                      s.putBlock(p, n);
                                  }) {
                        // A reference that neither wraps nor overlaps the bytes it
                        // writes is one block copy.
                        if (from + length <= kRingSize && r + length <= kRingSize &&
                            (from + length <= r || r + length <= from)) {
                            std::memcpy(ring + r, ring + from, length);
                            sink.putBlock(ring + r, length);
                            r = (r + length) & kRingMask;
                            produced += length;
                            continue;
                        }
                    }
                    for (uint32_t k = 0; k < length; ++k) {
                        const uint8_t byte = ring[(from + k) & kRingMask];
                        sink.put(byte);
                        ring[r] = byte;
                        r = (r + 1) & kRingMask;
                    }
                    produced += length;
                }
            }
            continue;
        }
        // Careful path near the end of the input or the output: the end
        // checks come before every flag byte, literal and reference byte.
        if (pos >= size) break;
        uint32_t flags = in[pos++];
        for (int item = 0; item < 8; ++item, flags >>= 1) {
            if (flags & 1) {
                if (pos >= size) return {pos, produced, false};
                if (sink.room() == 0) return {pos, produced, true};
                const uint8_t byte = in[pos++];
                sink.put(byte);
                ring[r] = byte;
                r = (r + 1) & kRingMask;
                ++produced;
            } else {
                if (pos + 1 >= size) return {size, produced, false}; // a cut reference is dropped
                const uint32_t b0 = in[pos];
                const uint32_t b1 = in[pos + 1];
                pos += 2;
                const uint32_t from = b0 | ((b1 & 0xF0u) << 4);
                const uint32_t length = (b1 & 0x0Fu) + kMinMatch;
                const size_t room = sink.room();
                const uint32_t count = room < length ? static_cast<uint32_t>(room) : length;
                for (uint32_t k = 0; k < count; ++k) {
                    const uint8_t byte = ring[(from + k) & kRingMask];
                    sink.put(byte);
                    ring[r] = byte;
                    r = (r + 1) & kRingMask;
                }
                produced += count;
                if (count < length) return {pos, produced, true};
            }
        }
    }
    return {pos, produced, false};
}

} // namespace fer

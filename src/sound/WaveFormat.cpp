#include "sound/WaveFormat.h"

#include <algorithm>

namespace fer {

namespace {

uint16_t u16At(std::span<const uint8_t> b, size_t at) {
    return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | b[at + 1] << 8) : 0;
}

uint32_t u32At(std::span<const uint8_t> b, size_t at) {
    return at + 4 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                                      uint32_t{b[at + 3]} << 24)
                              : 0;
}

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

WaveFormat WaveFormat::pcm(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample) {
    WaveFormat f;
    f.formatTag = kWaveFormatPcm;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    f.blockAlign = static_cast<uint16_t>(f.frameBytes());
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    return f;
}

WaveFormat WaveFormat::fromBytes(std::span<const uint8_t> bytes) {
    WaveFormat f;
    f.formatTag = u16At(bytes, 0);
    f.channels = u16At(bytes, 2);
    f.samplesPerSec = u32At(bytes, 4);
    f.avgBytesPerSec = u32At(bytes, 8);
    f.blockAlign = u16At(bytes, 12);
    f.bitsPerSample = u16At(bytes, 14);
    f.cbSize = u16At(bytes, 16);
    f.extra.assign(f.cbSize, 0);
    if (bytes.size() > kHeaderSize) {
        const size_t n = std::min<size_t>(f.cbSize, bytes.size() - kHeaderSize);
        std::copy_n(bytes.begin() + kHeaderSize, n, f.extra.begin());
    }
    return f;
}

std::vector<uint8_t> WaveFormat::toBytes() const {
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + extra.size());
    put16(out, formatTag);
    put16(out, channels);
    put32(out, samplesPerSec);
    put32(out, avgBytesPerSec);
    put16(out, blockAlign);
    put16(out, bitsPerSample);
    put16(out, cbSize);
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
}

uint16_t WaveFormat::extraWord(size_t offset) const {
    return u16At(extra, offset);
}

} // namespace fer

#pragma once
// A waveform format as a wave file's "fmt " chunk stores it: the 18-byte
// header (tag, channels, rate, average bytes per second, block alignment,
// bits per sample, size of the extra bytes) and the tag's extra bytes.

#include <cstdint>
#include <span>
#include <vector>

namespace fer {

constexpr uint16_t kWaveFormatPcm = 0x0001;
constexpr uint16_t kWaveFormatMsAdpcm = 0x0002;
constexpr uint16_t kWaveFormatIeeeFloat = 0x0003;
constexpr uint16_t kWaveFormatALaw = 0x0006;
constexpr uint16_t kWaveFormatMuLaw = 0x0007;
constexpr uint16_t kWaveFormatImaAdpcm = 0x0011;
constexpr uint16_t kWaveFormatGsm610 = 0x0031;
constexpr uint16_t kWaveFormatMpegLayer3 = 0x0055;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

struct WaveFormat {
    static constexpr size_t kHeaderSize = 18;

    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t cbSize = 0;
    std::vector<uint8_t> extra; // cbSize bytes

    // PCM of that shape, with block alignment and byte rate computed.
    static WaveFormat pcm(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);
    // Reads the header and, when the header says so, cbSize extra bytes
    // (missing bytes read as zeros).
    static WaveFormat fromBytes(std::span<const uint8_t> bytes);
    // The 18-byte header and the extra bytes.
    std::vector<uint8_t> toBytes() const;

    // Bytes of one sample frame: channels × bits / 8.
    uint32_t frameBytes() const { return uint32_t{channels} * (bitsPerSample / 8u); }
    // A u16 value of the extra bytes, 0 when they are too short.
    uint16_t extraWord(size_t offset) const;

    bool operator==(const WaveFormat&) const = default;
};

} // namespace fer

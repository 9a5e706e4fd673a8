#pragma once
// Helpers of the sound tests: a scratch directory, sox runs, hand-built wave
// files and the decoded sound of a stream.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TestSources.h"
#include "sound/WaveStream.h"

namespace fer::test {

using Bytes = std::vector<uint8_t>;

class ScratchDir {
  public:
    ScratchDir() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("fer-sound-" + std::to_string(seed()) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// One encoding sox writes into a wave file.
struct SoxEncoding {
    const char* name;
    const char* options; // sox output options
    int channels;
    int rate;
    bool exact; // the decoding is deterministic and has no rounding choice
};

inline const std::vector<SoxEncoding>& soxEncodings() {
    static const std::vector<SoxEncoding> all = {
        {"u8", "-e unsigned-integer -b 8", 2, 22050, true},
        {"s16", "-e signed-integer -b 16", 2, 44100, true},
        {"s24", "-e signed-integer -b 24", 1, 48000, false},
        {"s32", "-e signed-integer -b 32", 2, 32000, false},
        {"f32", "-e floating-point -b 32", 2, 44100, false},
        {"msadpcm", "-e ms-adpcm", 2, 22050, true},
        {"imaadpcm", "-e ima-adpcm", 2, 22050, true},
        {"imaadpcm1", "-e ima-adpcm", 1, 44100, true},
        {"mulaw", "-e mu-law", 1, 8000, true},
        {"alaw", "-e a-law", 2, 11025, true},
        {"gsm", "-e gsm-full-rate", 1, 8000, true},
    };
    return all;
}

// Makes a wave file with sox: a sweep over a tone, seconds long.
inline bool makeSoxWave(const std::filesystem::path& path, const SoxEncoding& e, double seconds) {
    return run("sox -n -r " + std::to_string(e.rate) + " -c " + std::to_string(e.channels) + " " +
               e.options + " '" + path.string() + "' synth " + std::to_string(seconds) +
               " sine 200-3000 sine 440 remix - gain -3 channels " + std::to_string(e.channels));
}

// sox's own decoding of a file to signed 16-bit samples.
inline std::optional<std::vector<int16_t>> soxDecode16(const std::filesystem::path& path,
                                                       const std::filesystem::path& raw) {
    if (!run("sox -D '" + path.string() + "' -t raw -e signed-integer -b 16 -L '" + raw.string() +
             "'"))
        return std::nullopt;
    const Bytes bytes = readFile(raw);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

inline void put16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline uint32_t u32At(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                 uint32_t{b[at + 3]} << 24);
}

struct Chunk {
    std::string id;
    Bytes body;
    bool pad = false; // write a pad byte after an odd body
};

// "RIFF", size, "WAVE", then the chunks as given.
inline Bytes makeWave(const std::vector<Chunk>& chunks, std::optional<uint32_t> riffSize = {}) {
    Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) {
        out.insert(out.end(), c.id.begin(), c.id.end());
        put32(out, static_cast<uint32_t>(c.body.size()));
        out.insert(out.end(), c.body.begin(), c.body.end());
        if (c.pad && c.body.size() % 2 != 0) out.push_back(0);
    }
    const uint32_t size = riffSize ? *riffSize : static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    return out;
}

inline Bytes pcmFormatBody(uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes b;
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * (bits / 8u));
    put16(b, static_cast<uint16_t>(channels * (bits / 8u)));
    put16(b, bits);
    return b;
}

// Samples of a plain pattern, little-endian 16-bit.
inline Bytes pcm16Pattern(size_t frames, int channels, int seed = 1) {
    Bytes out;
    for (size_t i = 0; i < frames * static_cast<size_t>(channels); ++i)
        put16(out, static_cast<uint16_t>(i * 37u + static_cast<unsigned>(seed) * 1000u));
    return out;
}

// Offset of a chunk's body in a file, or nothing (the walk as a padded reader
// would not do it: this one skips no pad byte either).
inline std::optional<size_t> findChunk(const Bytes& file, const char* id) {
    for (size_t at = 12; at + 8 <= file.size();) {
        if (std::equal(id, id + 4, file.begin() + static_cast<std::ptrdiff_t>(at))) return at + 8;
        at += 8 + u32At(file, at + 4);
    }
    return std::nullopt;
}

inline std::shared_ptr<MemorySource> memory(Bytes bytes) {
    return std::make_shared<MemorySource>(std::move(bytes));
}

// The whole decoded sound of a prepared stream.
inline Bytes decodeAll(WaveStream& stream) {
    Bytes out(stream.decodedSize());
    EXPECT_TRUE(stream.readDecoded(0, out));
    return out;
}

} // namespace fer::test

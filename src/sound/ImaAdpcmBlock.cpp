#include "sound/ImaAdpcmBlock.h"

#include <algorithm>
#include <array>

namespace fer {

namespace {

constexpr std::array<int16_t, 89> kStep = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr std::array<int8_t, 16> kIndexMove = {-1, -1, -1, -1, 2, 4, 6, 8,
                                               -1, -1, -1, -1, 2, 4, 6, 8};

struct Channel {
    int32_t sample;
    int32_t index;

    int16_t next(uint32_t nibble) {
        const int32_t step = kStep[static_cast<size_t>(index)];
        int32_t diff = step >> 3;
        if (nibble & 1) diff += step >> 2;
        if (nibble & 2) diff += step >> 1;
        if (nibble & 4) diff += step;
        sample = std::clamp(nibble & 8 ? sample - diff : sample + diff, -32768, 32767);
        index = std::clamp(index + kIndexMove[nibble], 0, 88);
        return static_cast<int16_t>(sample);
    }
};

} // namespace

uint32_t imaAdpcmFramesPerBlock(uint32_t blockAlign, uint32_t channels) {
    if (channels == 0 || blockAlign <= 4 * channels || blockAlign % (4 * channels) != 0) return 0;
    return (blockAlign - 4 * channels) * 2 / channels + 1;
}

void decodeImaAdpcmBlock(const uint8_t* block, uint32_t blockAlign, uint32_t channels,
                         int16_t* out) {
    std::array<Channel, 2> state{};
    for (uint32_t c = 0; c < channels; ++c) {
        const uint8_t* h = block + 4 * c;
        state[c].sample = static_cast<int16_t>(h[0] | h[1] << 8);
        state[c].index = std::min<int32_t>(h[2], 88);
        out[c] = static_cast<int16_t>(state[c].sample);
    }
    // Each run of 4 bytes a channel holds that channel's next 8 samples.
    const uint32_t runs = (blockAlign - 4 * channels) / (4 * channels);
    const uint8_t* in = block + 4 * channels;
    int16_t* frames = out + channels; // frame 1 on
    for (uint32_t r = 0; r < runs; ++r) {
        for (uint32_t c = 0; c < channels; ++c) {
            Channel& s = state[c];
            int16_t* o = frames + c;
            for (uint32_t b = 0; b < 4; ++b) {
                const uint32_t byte = *in++;
                o[0] = s.next(byte & 0x0F);
                o[channels] = s.next(byte >> 4);
                o += 2 * channels;
            }
        }
        frames += 8 * channels;
    }
}

} // namespace fer

#pragma once
// One block of IMA ADPCM wave data (format tag 0x11, 4 bits a sample) turned
// into 16-bit samples. A block starts with a header per channel (the first
// sample, i16, then the step index, u8, and a byte not used) and goes on with
// runs of 4 bytes per channel in turn, 8 samples a run, low nibble first.
// Each sample moves the last by a step from the table, scaled by the nibble's
// three low bits and signed by its fourth, clipped to 16 bits; the step index
// moves by the nibble and stays within the table.

#include <cstddef>
#include <cstdint>

namespace fer {

// Samples per channel in a block of blockAlign bytes; 0 when no block of
// that size and channel count can exist.
uint32_t imaAdpcmFramesPerBlock(uint32_t blockAlign, uint32_t channels);

// Decodes one whole block of one or two channels into framesPerBlock
// interleaved frames at out (framesPerBlock as imaAdpcmFramesPerBlock gives).
void decodeImaAdpcmBlock(const uint8_t* block, uint32_t blockAlign, uint32_t channels,
                         int16_t* out);

} // namespace fer

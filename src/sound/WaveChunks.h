#pragma once
// The chunk walk of a wave file. Chunks start at offset 12; each is a 4-byte
// identifier, a u32 body size and the body, and the next one starts right
// after the body (no pad byte is skipped, so an odd size shifts the next
// chunk by one byte less than a padded layout). The walk ends where a chunk
// would start at or beyond 8 + RIFF size. The first chunk of each identifier
// wins.
//
// Kept: the format ("fmt ": 18 bytes for PCM with cbSize forced to 0, else
// 18 + cbSize bytes), the "data" body's offset and size, the first u32 of
// "fact" (0 without it) and the loops of "smpl".

#include <cstdint>
#include <optional>
#include <vector>

#include "sound/SampleLoops.h"
#include "sound/WaveFormat.h"

namespace fer {

class FailureWord;
class WaveSource;

struct WaveChunks {
    std::optional<WaveFormat> format;
    uint32_t dataOffset = 0;
    uint32_t dataSize = 0;
    uint32_t factFrames = 0;
    bool hasLoops = false;
    std::vector<SampleLoop> loops;

    // A format and a non-empty "data" chunk were found.
    bool usable() const { return format.has_value() && dataSize != 0; }
};

// Walks the file through its region. A unit that cannot be committed sets
// kFailCommit and ends the walk; a copy without memory sets kFailNoMemory.
WaveChunks walkWaveChunks(WaveSource& source, uint64_t fileLength, FailureWord& failures);

} // namespace fer

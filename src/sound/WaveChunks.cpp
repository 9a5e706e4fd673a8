#include "sound/WaveChunks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "sound/SoundFailure.h"
#include "sound/WaveSource.h"

namespace fer {

namespace {

constexpr uint64_t kFirstChunk = 12;

uint32_t u32At(const uint8_t* b) {
    return static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | uint32_t{b[3]} << 24);
}

bool idIs(const uint8_t* header, const char* id) {
    return std::memcmp(header, id, 4) == 0;
}

} // namespace

WaveChunks walkWaveChunks(WaveSource& source, uint64_t fileLength, FailureWord& failures) {
    WaveChunks chunks;
    bool haveData = false, haveFact = false;
    // Past the file's real end every header reads as zeros and matches no
    // identifier, so the walk may stop there with the same result.
    const uint64_t end = std::min(fileLength, source.fileSize());
    for (uint64_t at = kFirstChunk; at < end;) {
        std::array<uint8_t, 8> header{};
        if (!source.read(at, header)) {
            failures.set(kFailCommit);
            break;
        }
        const uint32_t size = u32At(header.data() + 4);
        const uint64_t body = at + 8;
        if (idIs(header.data(), "fmt ") && !chunks.format) {
            std::array<uint8_t, WaveFormat::kHeaderSize> fixed{};
            if (!source.read(body, fixed)) {
                failures.set(kFailCommit);
                break;
            }
            WaveFormat format = WaveFormat::fromBytes(fixed);
            if (format.formatTag == kWaveFormatPcm) {
                format.cbSize = 0;
                format.extra.clear();
            } else if (!source.read(body + WaveFormat::kHeaderSize, format.extra)) {
                failures.set(kFailCommit);
                break;
            }
            chunks.format = std::move(format);
        } else if (idIs(header.data(), "data") && !haveData) {
            haveData = true;
            chunks.dataOffset = static_cast<uint32_t>(body);
            chunks.dataSize = size;
        } else if (idIs(header.data(), "fact") && !haveFact) {
            haveFact = true;
            std::array<uint8_t, 4> frames{};
            if (!source.read(body, frames)) {
                failures.set(kFailCommit);
                break;
            }
            chunks.factFrames = u32At(frames.data());
        } else if (idIs(header.data(), "smpl") && !chunks.hasLoops) {
            chunks.hasLoops = true;
            // Only the bytes the file holds can carry loop records.
            const uint64_t held = body < end ? std::min<uint64_t>(size, end - body) : 0;
            std::vector<uint8_t> copy;
            try {
                copy.resize(held);
                chunks.loops = {};
            } catch (const std::bad_alloc&) {
                failures.set(kFailNoMemory);
                break;
            }
            if (!source.read(body, copy)) {
                failures.set(kFailCommit);
                break;
            }
            try {
                chunks.loops = parseSampleLoops(copy);
            } catch (const std::bad_alloc&) {
                failures.set(kFailNoMemory);
                break;
            }
        }
        at = body + size;
    }
    return chunks;
}

} // namespace fer

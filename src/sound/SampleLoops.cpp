#include "sound/SampleLoops.h"

#include <algorithm>

namespace fer {

namespace {

uint32_t u32At(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                 uint32_t{b[at + 3]} << 24);
}

} // namespace

std::vector<SampleLoop> parseSampleLoops(std::span<const uint8_t> body) {
    std::vector<SampleLoop> loops;
    if (body.size() < kSampleLoopCountOffset + 4) return loops;
    const uint64_t declared = u32At(body, kSampleLoopCountOffset);
    const uint64_t held =
        body.size() < kSampleLoopsOffset ? 0 : (body.size() - kSampleLoopsOffset) / kSampleLoopSize;
    const uint64_t count = std::min(declared, held);
    loops.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = kSampleLoopsOffset + i * kSampleLoopSize;
        loops.push_back({u32At(body, at), u32At(body, at + 4), u32At(body, at + 8),
                         u32At(body, at + 12), u32At(body, at + 16), u32At(body, at + 20)});
    }
    return loops;
}

} // namespace fer

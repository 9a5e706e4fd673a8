#pragma once
// The loop records of a wave file's "smpl" chunk: the number of loops at
// offset 28 of the body, the records of 24 bytes from offset 36 (identifier,
// type, first frame, last frame inclusive, fraction, play count with 0 for
// endless). Only the records the body really holds are kept.

#include <cstdint>
#include <span>
#include <vector>

namespace fer {

struct SampleLoop {
    uint32_t identifier = 0;
    uint32_t type = 0;
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t fraction = 0;
    uint32_t playCount = 0;

    bool operator==(const SampleLoop&) const = default;
};

constexpr size_t kSampleLoopCountOffset = 28;
constexpr size_t kSampleLoopsOffset = 36;
constexpr size_t kSampleLoopSize = 24;

// The loops of a "smpl" body, at most as many as it declares and holds.
std::vector<SampleLoop> parseSampleLoops(std::span<const uint8_t> body);

} // namespace fer

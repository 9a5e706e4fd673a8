#pragma once
// The wave reader's fuzz entry point, callable from the tests as well.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace fer::fuzz {

// The output formats asked for: 0 as the source; 1 to 4 the source's
// channels and rate in 8, 16, 24 and 32 bits; 5 one of 7 channels at
// 96001 Hz, which no decoder delivers.
inline constexpr size_t kWaveRequests = 6;

// The input is a wave file: it is opened, prepared for PCM output in the
// requested format (unless given, the input's length picks it) and every
// unit of its decoded sound is produced (at most 64 units of a long sound:
// the first 48 and the last 16). True when the file was taken and its sound
// produced, false when it was refused.
bool waveStream(const uint8_t* data, size_t size, std::optional<size_t> request = {});

} // namespace fer::fuzz

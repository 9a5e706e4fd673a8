#pragma once
// The wave reader's fuzz entry point, callable from the tests as well.

#include <cstddef>
#include <cstdint>

namespace fer::fuzz {

// The input is a wave file: it is opened, prepared for PCM output (as the
// source, or a converted format picked by the input's length) and every
// unit of its decoded sound is produced (at most 64 units of a long sound:
// the first 48 and the last 16).
int waveStream(const uint8_t* data, size_t size);

} // namespace fer::fuzz

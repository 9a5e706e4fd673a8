#pragma once
// Runs arbitrary bytes as a script on a machine whose engine answers every
// request at once and closes the window after a bounded number of passes.
// Whatever the bytes, the run must end without touching memory it does not own.

#include <cstddef>
#include <cstdint>

namespace fer {

// The number of passes the engine allows before it closes the window.
inline constexpr uint64_t kFuzzPumpLimit = 5000;

// Returns the number of message pumps the run took.
uint64_t runScriptBytes(const uint8_t* data, size_t size);

} // namespace fer

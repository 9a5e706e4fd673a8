#pragma once
// Runs arbitrary bytes as a script on a machine whose engine answers every
// request at once and closes the window after a bounded number of passes.
// The real graphics, palette, text, animation and particle commands stand
// behind the command table, drawing on real planes, so script bytes reach
// them. Whatever the bytes, the run must end without touching memory it
// does not own.
//
// One machine serves every input of a process: it is reset between inputs
// (memory, registers, procedures, animation channels); the planes and the
// palette keep what the last input drew.

#include <cstddef>
#include <cstdint>
#include <span>

namespace fer {

class PlaneSet;

// The number of passes the engine allows before it closes the window.
inline constexpr uint64_t kFuzzPumpLimit = 5000;
// The fuzzer's bound: enough for loops, drawing and nested calls, small
// enough for thousands of inputs a second.
inline constexpr uint64_t kFuzzInputPumpLimit = 64;

// Machine state that precedes the code in a fuzz input:
//   byte 0     bit 0: the Shift-JIS build, else GB2312; bits 1..7 seed the keys
//   byte 1     the pass on which the window goes to the background (0: never)
//   2..109     XORed onto the 54 16-bit registers after the reset
inline constexpr size_t kScriptStateBytes = 110;

// Runs code alone from a freshly reset machine (default registers, the
// GB2312 build for even sizes, Shift-JIS for odd). Returns the number of
// message pumps the run took.
uint64_t runScriptBytes(const uint8_t* data, size_t size);

// Runs a fuzz input (state, then code) within kFuzzInputPumpLimit passes.
uint64_t runScriptInput(const uint8_t* data, size_t size);

// Runs loader (code that loads a saved game) where every save file holds the
// first 4096 bytes of data and every script loaded after the loader holds the
// rest, within kFuzzInputPumpLimit passes.
// The planes the machine of the runs above draws on.
PlaneSet& scriptFuzzPlanes();

uint64_t runSaveLoad(std::span<const uint8_t> loader, bool shiftJisBuild, const uint8_t* data,
                     size_t size);

} // namespace fer

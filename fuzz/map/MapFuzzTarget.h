#pragma once
// The map's fuzz entry point, callable from the tests as well: random map
// commands over random map data in script memory.

#include <cstddef>
#include <cstdint>

namespace fer {
class PlaneSet;
class ScriptMemory;
} // namespace fer

namespace fer::fuzz {

// Header (64 bytes, missing bytes read 0):
//   0..3   where the data go, counted from 0x1000 (modulo the code area)
//   4      bit 0: register 32 from bytes 5..8, else 0x1000; bits 1..3: the
//          map, object and trigger registers (28..30) raw from bytes 9..20,
//          else the load offset plus the low 16 bits there
//   21     held keys (bit n: key index n)   22..25 pointer x, y
//   26     bit 0: the skip-movement setting  27 transparent colour
//   28..59 eight operations (op mod 24, a, b, c)
//   60     how many op 8 steps follow (mod 64)
// The rest is copied to script memory at 0x1000 plus the load offset.
// memory is cleared first; planes must be allocated. Returns how many cells
// the first drawing of the whole view drew.
int mapCommands(ScriptMemory& memory, PlaneSet& planes, const uint8_t* data, size_t size);

inline constexpr size_t kMapFuzzHeader = 64;

} // namespace fer::fuzz

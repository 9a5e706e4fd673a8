#pragma once
// The hit table a script hands to system command 14: entries of five 16-bit
// words (an id, then the left, top, right and bottom of a rectangle, both
// edges inside), ended by an id of 0xFFFF. A table without its end entry
// stops at the end of the memory.

#include <cstdint>

#include "core/ScriptMemory.h"

namespace fer {

class HitTable {
  public:
    static constexpr uint32_t kEntryBytes = 10;
    static constexpr uint16_t kNone = 0xFFFF;

    // The id of the first entry, from `offset` on, whose rectangle holds
    // (x, y); kNone when none does.
    static uint16_t find(const ScriptMemory& memory, uint64_t offset, uint16_t x, uint16_t y);
};

} // namespace fer

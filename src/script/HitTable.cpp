#include "script/HitTable.h"

namespace fer {

uint16_t HitTable::find(const ScriptMemory& memory, uint64_t offset, uint16_t x, uint16_t y) {
    if (!ScriptMemory::fits(offset, kEntryBytes)) return kNone;
    // A table without its end entry runs to the end of the memory: the scan
    // goes over the entries that fit whole, without a bound check per word.
    const size_t entries = static_cast<size_t>((ScriptMemory::kSize - offset) / kEntryBytes);
    const uint8_t* entry = memory.data() + offset;
    const auto word = [](const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); };
    for (size_t i = 0; i < entries; ++i, entry += kEntryBytes) {
        const uint16_t id = word(entry);
        if (id == kNone) break;
        if (word(entry + 2) <= x && x <= word(entry + 6) && word(entry + 4) <= y &&
            y <= word(entry + 8))
            return id;
    }
    return kNone;
}

} // namespace fer

#pragma once
// A live view of the code in script memory for the debug monitor: the
// instructions from an address on, one text line each, with their
// addresses. Any address is safe: decoding looks only at a bounded window
// of the memory from the address on, never past its end.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ScriptMemory.h"

namespace fer::mes {

class Charset;

struct DisassemblyLine {
    uint32_t address = 0; // in script memory
    uint32_t size = 0;    // bytes the line stands for
    std::string text;     // an instruction, or "bytes 0xHH" for one that does not decode
    // For a jump: the text up to its target, and the target as the code
    // holds it (relative to the code base in force).
    std::string head;
    std::optional<uint32_t> jump;
};

// How many bytes from the address on the decoding may look at.
inline constexpr uint32_t kDisassemblyWindow = 0x10000;

// Decodes at most `count` lines from address on. Jump targets are shown as
// the numbers the code holds. An instruction longer than the window, or
// running past the memory, shows as raw bytes. Empty when address lies
// outside the memory.
std::vector<DisassemblyLine> disassembleMemory(const ScriptMemory& memory, uint32_t address,
                                               size_t count, Charset& charset);

} // namespace fer::mes

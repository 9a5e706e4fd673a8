#include "script/MemoryDisassembly.h"

#include <algorithm>
#include <cstdio>

#include "script/InstructionDecoder.h"

namespace fer::mes {

std::vector<DisassemblyLine> disassembleMemory(const ScriptMemory& memory, uint32_t address,
                                               size_t count, Charset& charset) {
    std::vector<DisassemblyLine> lines;
    if (address >= ScriptMemory::kSize || count == 0) return lines;
    const auto window = memory.bytes().subspan(
        address, std::min<size_t>(kDisassemblyWindow, ScriptMemory::kSize - address));
    InstructionDecoder decoder(window, charset);
    size_t p = 0;
    // Every line takes at least one byte, so this ends within the window.
    while (p < window.size() && lines.size() < count) {
        DisassemblyLine line;
        line.address = static_cast<uint32_t>(address + p);
        if (auto decoded = decoder.decode(p)) {
            line.size = static_cast<uint32_t>(decoded->size);
            line.text = decoded->source();
            if (decoded->jump) {
                line.head = std::move(decoded->head);
                line.jump = decoded->jump;
            }
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "bytes 0x%02X", window[p]);
            line.size = 1;
            line.text = buf;
        }
        p += line.size;
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace fer::mes

#include "debug/CodeView.h"

#include <algorithm>
#include <cstdio>

#include "script/Charset.h"

namespace fer {

namespace {
constexpr uint32_t kLabelColour = 0x00FFFF;
constexpr uint32_t kValueColour = 0xFFFFFF;
constexpr int kFirstLineY = 24;
constexpr int kLineHeight = 16;
constexpr int kMarkerX = 0;
constexpr int kAddressX = 24;
constexpr int kTextX = 104;
} // namespace

CodeView::CodeView(const ScriptMachine& machine, mes::Charset* charset, const char* nameCharset,
                   int menuId)
    : machine_(machine), charset_(charset), decodeName_(nameCharset), menuId_(menuId) {}

std::string CodeView::headerLine() const {
    return "[VIEW " + std::to_string(menuId_) + " page 0" + (live_ ? " live]" : "]");
}

std::vector<mes::DisassemblyLine> CodeView::linesAround(uint32_t address) {
    std::vector<mes::DisassemblyLine> lines;
    if (!charset_ || address >= ScriptMemory::kSize) return lines;
    const ScriptMemory& memory = machine_.memory;
    // Never look back across the start of the code into the machine's data.
    const uint32_t floor = address >= ScriptMemory::kCodeBase ? ScriptMemory::kCodeBase : 0;
    const uint32_t from = std::max(floor, address >= kLookBack ? address - kLookBack : 0);
    for (uint32_t start = from; start < address; ++start) {
        // Every line takes a byte at least: this many lines reach the address.
        std::vector<mes::DisassemblyLine> before =
            mes::disassembleMemory(memory, start, address - start, *charset_);
        std::erase_if(before, [&](const mes::DisassemblyLine& l) { return l.address >= address; });
        if (before.empty() || before.back().address + before.back().size != address) continue;
        const size_t keep = std::min(kLinesBefore, before.size());
        lines.assign(before.end() - static_cast<ptrdiff_t>(keep), before.end());
        break;
    }
    std::vector<mes::DisassemblyLine> after =
        mes::disassembleMemory(memory, address, kLines - lines.size(), *charset_);
    lines.insert(lines.end(), std::make_move_iterator(after.begin()),
                 std::make_move_iterator(after.end()));
    return lines;
}

std::vector<DebugCell> CodeView::cells() {
    const uint32_t at = machine_.instructionStart;
    std::vector<DebugCell> cells;
    cells.push_back({0, 0, "MES", kLabelColour});
    cells.push_back({40, 0, decodeName_(machine_.memory.scriptName()), kValueColour});
    cells.push_back({400, 0, "ADDR", kLabelColour});
    char address[16];
    std::snprintf(address, sizeof address, "%08X", at);
    cells.push_back({448, 0, address, kValueColour});
    if (!charset_) {
        cells.push_back({kTextX, kFirstLineY, "(no character set for the code)", kValueColour});
        return cells;
    }
    const std::string_view script = machine_.memory.scriptName();
    if (!cacheValid_ || cachedAddress_ != at || cachedScript_ != script) {
        cached_ = linesAround(at);
        cachedAddress_ = at;
        cachedScript_ = std::string(script);
        cacheValid_ = true;
    }
    int y = kFirstLineY;
    for (const mes::DisassemblyLine& line : cached_) {
        if (line.address == at) cells.push_back({kMarkerX, y, "=>", kValueColour});
        std::snprintf(address, sizeof address, "%08X", line.address);
        cells.push_back({kAddressX, y, address, kLabelColour});
        cells.push_back({kTextX, y, line.text, kValueColour});
        y += kLineHeight;
    }
    return cells;
}

} // namespace fer

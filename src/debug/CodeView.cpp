#include "debug/CodeView.h"

#include <algorithm>
#include <cstdio>

#include "script/Charset.h"

namespace fer {

namespace {
constexpr uint32_t kLabelColour = 0x00FFFF;
constexpr uint32_t kValueColour = 0xFFFFFF;
constexpr int kMarkerX = 0;
constexpr int kAddressX = 24;

std::string hex(const char* pattern, uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// The length of the UTF-8 sequence that starts with lead (1 for a stray byte).
size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}
} // namespace

std::vector<std::string> CodeView::wrap(const std::string& text) {
    static constexpr const char* kMore = "...";
    std::vector<std::string> rows(1);
    size_t columns = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t n = std::min(sequenceLength(static_cast<unsigned char>(text[i])),
                                  text.size() - i);
        const size_t width = n == 1 ? 1 : 2;
        if (columns + width > kColumns) {
            if (rows.size() == kRowsPerLine) {
                // The last row makes room for the mark that the line goes on.
                std::string& last = rows.back();
                while (!last.empty() && columns + 3 > kColumns) {
                    size_t start = last.size() - 1;
                    while (start > 0 && (static_cast<unsigned char>(last[start]) & 0xC0) == 0x80)
                        --start;
                    columns -= last.size() - start == 1 ? 1 : 2;
                    last.erase(start);
                }
                last += kMore;
                return rows;
            }
            rows.emplace_back();
            columns = 0;
        }
        rows.back().append(text, i, n);
        columns += width;
        i += n;
    }
    return rows;
}

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
        cells.push_back({kTextX, kFirstRowY, "(no character set for the code)", kValueColour});
        return cells;
    }
    const std::string_view script = machine_.memory.scriptName();
    if (!cacheValid_ || cachedAddress_ != at || cachedScript_ != script) {
        cached_ = linesAround(at);
        cachedAddress_ = at;
        cachedScript_ = std::string(script);
        cacheValid_ = true;
    }
    int row = 0;
    for (const mes::DisassemblyLine& line : cached_) {
        if (row == kRows) break;
        int y = kFirstRowY + kRowHeight * row;
        if (line.address == at) cells.push_back({kMarkerX, y, "=>", kValueColour});
        cells.push_back({kAddressX, y, hex("%08X", line.address), kLabelColour});
        for (std::string& text : wrap(lineText(line))) {
            if (row == kRows) break;
            y = kFirstRowY + kRowHeight * row++;
            cells.push_back({kTextX, y, std::move(text), kValueColour});
        }
    }
    return cells;
}

std::string CodeView::lineText(const mes::DisassemblyLine& line) const {
    const uint32_t base = machine_.codeBase();
    const auto shown = [&](uint32_t address) {
        for (const mes::DisassemblyLine& other : cached_)
            if (other.address == address) return true;
        return false;
    };
    std::string text;
    // The line is a jump's target: its label first, as a listing writes it.
    for (const mes::DisassemblyLine& other : cached_) {
        if (other.jump && base + *other.jump == line.address) {
            text = hex("L%04X: ", *other.jump);
            break;
        }
    }
    if (!line.jump) return text + line.text;
    const uint32_t target = base + *line.jump;
    text += line.head + hex("%08X", target);
    if (shown(target)) text += hex(" (L%04X)", *line.jump);
    return text;
}

} // namespace fer

#include "debug/MemoryView.h"

#include <algorithm>
#include <cstdio>

namespace fer {

namespace {

constexpr int kColumns = 8;
constexpr int kRows = 10;
constexpr int kCellX = 48;
constexpr int kCellWidth = 72;
constexpr int kCellY = 24;
constexpr int kLineHeight = 16;
// Register views: three columns of eleven registers each.
constexpr int kRegisterColumnWidth = 120;
constexpr int kRegistersPerColumn = 11;
constexpr int kRegisterCount = 26;
constexpr int kRegisterValueX = 48;

constexpr int cellX(int c) {
    return kCellX + kCellWidth * c;
}
constexpr int cellY(int r) {
    return kCellY + kLineHeight * r;
}

template <typename... Args> std::string format(const char* pattern, Args... args) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

} // namespace

MemoryView::MemoryView(Kind kind, const ScriptMemory& memory, int menuId, uint32_t dumpOrigin)
    : kind_(kind), memory_(memory), menuId_(menuId),
      dumpOrigin_(std::min(dumpOrigin, ScriptMemory::kSize - kDumpLength)) {}

std::string MemoryView::title() const {
    if (!live_) return "调试";
    switch (kind_) {
    case Kind::kFlags: return "FLAG (live)";
    case Kind::kRegisters16: return "16BIT REG (live)";
    case Kind::kRegisters32: return "32BIT REG (live)";
    case Kind::kArray16: return "16BIT DIM (live)";
    case Kind::kArray32: return "32BIT DIM (live)";
    case Kind::kDump: return "DUMP " + std::to_string(dumpOrigin_) + " (live)";
    }
    return "调试";
}

std::string MemoryView::headerLine() const {
    return "[VIEW " + std::to_string(menuId_) + " page " + std::to_string(page_) +
           (live_ ? " live]" : "]");
}

bool MemoryView::key(int virtualKey) {
    if (virtualKey == 27) return false;
    if (pages()) {
        if (virtualKey == 33 && page_ > 0) --page_;
        if (virtualKey == 34 && page_ < kLastPage) ++page_;
    }
    return true;
}

void MemoryView::gridLabels(std::vector<DebugCell>& cells) const {
    for (int c = 0; c < kColumns; ++c)
        cells.push_back({cellX(c), 0, format("%08u", static_cast<unsigned>(c)), kLabelColour});
    for (int r = 0; r < kRows; ++r)
        cells.push_back({0, cellY(r), format("%05u", page_ * 80u + static_cast<unsigned>(r) * 8u),
                         kLabelColour});
}

void MemoryView::registers(std::vector<DebugCell>& cells, const char* baseLabel, bool wide) const {
    for (int r = 0; r < kRegisterCount; ++r) {
        const int x = kRegisterColumnWidth * (r / kRegistersPerColumn);
        const int y = kLineHeight * (r % kRegistersPerColumn);
        std::string label = baseLabel;
        label.back() = static_cast<char>(label.back() + r);
        cells.push_back({x, y, std::move(label), kLabelColour});
        const uint8_t index = static_cast<uint8_t>(r);
        cells.push_back({x + kRegisterValueX, y,
                         wide ? format("%08X", memory_.reg32(index))
                              : format("%05u", static_cast<unsigned>(memory_.reg16(index))),
                         kValueColour});
    }
}

std::vector<DebugCell> MemoryView::cells() {
    std::vector<DebugCell> cells;
    switch (kind_) {
    case Kind::kRegisters16: registers(cells, "    A", false); break;
    case Kind::kRegisters32: registers(cells, "   _A", true); break;
    case Kind::kFlags:
    case Kind::kArray16:
    case Kind::kArray32:
    case Kind::kDump:
        gridLabels(cells);
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const uint32_t n = page_ * 80u + static_cast<uint32_t>(r * kColumns + c);
                std::string text;
                if (kind_ == Kind::kFlags) {
                    text = n < ScriptMemory::kFlagCount
                               ? format("%03u", static_cast<unsigned>(memory_.flag(n)))
                               : "   ";
                } else if (kind_ == Kind::kArray16) {
                    // Element i of 16-bit array 0 is 16-bit register 26 + i.
                    text = n < kArray16Elements
                               ? format("%05u", static_cast<unsigned>(memory_.word(
                                                    ScriptMemory::kReg16Base + 2 * (26 + n))))
                               : "     ";
                } else if (kind_ == Kind::kArray32) {
                    if (r > 0) continue; // one row: the eight words
                    text = format("%08X", memory_.dword(kArray32Base + 4 * n));
                } else {
                    text = format("%02XH", static_cast<unsigned>(memory_.byte(dumpOrigin_ + n)));
                }
                cells.push_back({cellX(c), cellY(r), std::move(text), kValueColour});
            }
        }
        if (kind_ == Kind::kDump) {
            cells.push_back({0, cellY(kRows), "ADDR", kLabelColour});
            cells.push_back({kCellX, cellY(kRows),
                             format("%u (%08XH)", static_cast<unsigned>(dumpOrigin_),
                                    static_cast<unsigned>(dumpOrigin_)),
                             kValueColour});
        }
        break;
    }
    return cells;
}

} // namespace fer

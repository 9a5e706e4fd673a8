#include "debug/FileNamesView.h"

#include <array>

namespace fer {

namespace {

struct Row {
    const char* label; // in the window
    const char* key;   // in the text print
};

constexpr std::array<Row, CurrentFileNames::kSlots> kRows = {{
    {"MES FILE", "MES"},
    {"PIC FILE", "PIC"},
    {"DATA FILE", "DATA"},
    {"MUSIC FILE", "MUSIC"},
    {"VOICE FILE", "VOICE"},
}};

constexpr int kLabelX = 16;
constexpr int kValueX = 100;
constexpr int kFirstRowY = 22;
constexpr int kRowHeight = 30;

} // namespace

FileNamesView::FileNamesView(const CurrentFileNames& names, const char* nameCharset)
    : names_(names), decode_(nameCharset) {}

std::vector<DebugCell> FileNamesView::cells() {
    std::vector<DebugCell> cells;
    for (int slot = 0; slot < CurrentFileNames::kSlots; ++slot) {
        const int y = kFirstRowY + kRowHeight * slot;
        cells.push_back({kLabelX, y, kRows[static_cast<size_t>(slot)].label, 0xFFFFFF});
        cells.push_back({kValueX, y, shownName(slot), 0xFFFFFF});
    }
    return cells;
}

std::optional<std::string> FileNamesView::printLine() {
    std::string line = headerLine();
    for (int slot = 0; slot < CurrentFileNames::kSlots; ++slot)
        line += std::string(" ") + kRows[static_cast<size_t>(slot)].key + "=" + shownName(slot);
    return line;
}

} // namespace fer

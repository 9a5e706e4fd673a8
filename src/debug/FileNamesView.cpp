#include "debug/FileNamesView.h"

#include <array>
#include <utility>

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
constexpr int kColumnWidth = 8; // a half-width character
// The longest label ("MUSIC FILE", ten columns) and a column's gap before the names.
constexpr int kValueX = kLabelX + 11 * kColumnWidth;
constexpr size_t kValueColumns = (FileNamesView::kWidth - kValueX - kLabelX) / kColumnWidth;
constexpr int kFirstRowY = 22;
constexpr int kRowHeight = 30;

// The columns of one UTF-8 character starting with byte b: ASCII is half width,
// everything else in these names (kanji, kana, full-width forms) full width.
size_t columnsOf(unsigned char b) {
    return b < 0x80 ? 1 : 2;
}

// A name cut to its field: one that does not fit keeps its start and its end
// (the extension), joined by "…", so that it never runs past the window.
std::string fitted(const std::string& name) {
    std::vector<std::pair<size_t, size_t>> chars; // byte offset, columns
    size_t total = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if ((b & 0xC0) == 0x80) continue; // a continuation byte
        chars.emplace_back(i, columnsOf(b));
        total += columnsOf(b);
    }
    if (total <= kValueColumns) return name;
    const size_t room = kValueColumns - 1; // the "…"
    size_t head = 0, headColumns = 0;
    while (headColumns + chars[head].second <= room / 2) headColumns += chars[head++].second;
    size_t tail = chars.size(), tailColumns = 0;
    while (tailColumns + chars[tail - 1].second <= room - headColumns)
        tailColumns += chars[--tail].second;
    return name.substr(0, chars[head].first) + "…" + name.substr(chars[tail].first);
}

} // namespace

FileNamesView::FileNamesView(const CurrentFileNames& names, const char* nameCharset)
    : names_(names), decode_(nameCharset) {}

std::vector<DebugCell> FileNamesView::cells() {
    std::vector<DebugCell> cells;
    for (int slot = 0; slot < CurrentFileNames::kSlots; ++slot) {
        const int y = kFirstRowY + kRowHeight * slot;
        cells.push_back({kLabelX, y, kRows[static_cast<size_t>(slot)].label, 0xFFFFFF});
        cells.push_back({kValueX, y, fitted(shownName(slot)), 0xFFFFFF});
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

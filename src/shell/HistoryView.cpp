#include "shell/HistoryView.h"

#include <algorithm>

#include "shell/TextTranscript.h"

namespace fer {

namespace {
constexpr uint32_t kSpeakerColour = 0xFFD060;
constexpr uint32_t kTextColour = 0xFFFFFF;
constexpr uint32_t kVoicedColour = 0x90D0FF; // a message with a voice to play
constexpr uint32_t kSelectedColour = 0xFFFF80;
constexpr int kMargin = 8;

// The length of the UTF-8 sequence that begins with lead.
size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}
} // namespace

void HistoryView::open() {
    layOut();
    top_ = lastTop();
    selected_ = history_.messages().empty() ? 0 : history_.messages().size() - 1;
}

void HistoryView::layOut() {
    rows_.clear();
    const auto& messages = history_.messages();
    for (size_t m = 0; m < messages.size(); ++m) {
        const std::string line = TextTranscript::oneLine(messages[m]);
        std::string row;
        int columns = 0;
        bool first = true;
        for (size_t i = 0; i < line.size();) {
            const size_t n = std::min(sequenceLength(static_cast<unsigned char>(line[i])),
                                      line.size() - i);
            const int width = n == 1 ? 1 : 2;
            if (columns + width > kRowColumns) {
                rows_.push_back({std::move(row), m, first});
                row.clear();
                columns = 0;
                first = false;
            }
            row.append(line, i, n);
            columns += width;
            i += n;
        }
        rows_.push_back({std::move(row), m, first});
    }
}

int HistoryView::lastTop() const {
    return std::max(0, static_cast<int>(rows_.size()) - kRows);
}

std::vector<DebugCell> HistoryView::cells() {
    layOut();
    top_ = std::clamp(top_, 0, lastTop());
    std::vector<DebugCell> cells;
    const auto& messages = history_.messages();
    for (int r = 0; r < kRows && top_ + r < static_cast<int>(rows_.size()); ++r) {
        const Row& row = rows_[static_cast<size_t>(top_ + r)];
        const GameMessage& message = messages[row.message];
        uint32_t colour = message.voice.empty() ? kTextColour : kVoicedColour;
        if (row.message == selected_) colour = kSelectedColour;
        if (row.first && !message.speaker.empty()) {
            // The name in its own colour, then the rest of the row.
            const size_t cut = std::min(row.text.size(), message.speaker.size() + 3); // and "："
            cells.push_back({kMargin, r * kRowHeight, row.text.substr(0, cut), kSpeakerColour});
            const int nameWidth = static_cast<int>(cut / 3) * 16; // full-width characters
            cells.push_back({kMargin + nameWidth, r * kRowHeight, row.text.substr(cut), colour});
        } else {
            cells.push_back({kMargin, r * kRowHeight, row.text, colour});
        }
    }
    return cells;
}

void HistoryView::play(size_t message) {
    const auto& messages = history_.messages();
    if (message >= messages.size()) return;
    selected_ = message;
    if (!messages[message].voice.empty() && play_) play_(messages[message].voice);
}

bool HistoryView::key(int virtualKey) {
    switch (virtualKey) {
    case 27: return false;
    case 33: top_ -= kRows; break; // Page Up
    case 34: top_ += kRows; break; // Page Down
    case 38:                       // up: the message before
        if (selected_ > 0) --selected_;
        break;
    case 40: // down: the next one
        if (selected_ + 1 < history_.messages().size()) ++selected_;
        break;
    case 13:
    case 32:
        play(selected_);
        if (speak_ && selected_ < history_.messages().size())
            speak_(history_.messages()[selected_]);
        break;
    default: break;
    }
    // The selected message stays in sight.
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        if (rows_[static_cast<size_t>(r)].message != selected_ || virtualKey == 33 || virtualKey == 34)
            continue;
        if (r < top_) top_ = r;
        if (r >= top_ + kRows) top_ = r - kRows + 1;
        break;
    }
    top_ = std::clamp(top_, 0, lastTop());
    return true;
}

bool HistoryView::wheel(int steps) {
    if (steps < 0 && top_ >= lastTop()) return false; // down past the end
    top_ = std::clamp(top_ - steps * 3, 0, lastTop());
    return true;
}

bool HistoryView::click(int x, int y, int button) {
    (void)x;
    if (button == 1) return false;
    const int r = top_ + y / kRowHeight;
    if (y >= 0 && r < static_cast<int>(rows_.size())) play(rows_[static_cast<size_t>(r)].message);
    return true;
}

std::optional<std::string> HistoryView::printLine() {
    std::string out = "[HISTORY]\n";
    for (const GameMessage& message : history_.messages()) {
        out += message.speaker;
        out += '\t';
        for (const char c : message.text) out += c == '\n' ? ' ' : c;
        out += '\n';
    }
    out += "[END HISTORY]";
    return out;
}

} // namespace fer

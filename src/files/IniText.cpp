#include "files/IniText.h"

namespace fer::ini {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

enum class LineKind { kOther, kSection, kEntry };

// One line of the text: [begin, contentEnd) is its content, [contentEnd, end)
// its line end (empty on a last line without one).
struct Line {
    size_t begin = 0;
    size_t contentEnd = 0;
    size_t end = 0;
    LineKind kind = LineKind::kOther;
    std::string_view name; // section or key name, untrimmed
    size_t valueBegin = 0; // entries: the first byte after '='
};

class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {
        // A UTF-8 byte order mark in front of the first line is not part of it.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    bool next(Line& line) {
        if (pos_ >= text_.size()) return false;
        line = Line{};
        line.begin = pos_;
        size_t i = pos_;
        while (i < text_.size() && text_[i] != '\n' && text_[i] != '\r') ++i;
        line.contentEnd = i;
        if (i < text_.size()) {
            if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
            ++i;
        }
        line.end = i;
        pos_ = i;
        classify(line);
        return true;
    }

  private:
    void classify(Line& line) const {
        std::string_view content = text_.substr(line.begin, line.contentEnd - line.begin);
        size_t first = 0;
        while (first < content.size() && isBlank(content[first])) ++first;
        if (first == content.size() || content[first] == ';') return;
        if (content[first] == '[') {
            std::string_view rest = content.substr(first + 1);
            size_t close = rest.find(']');
            line.kind = LineKind::kSection;
            line.name = rest.substr(0, close);
            return;
        }
        size_t eq = content.find('=');
        if (eq == std::string_view::npos) return;
        line.kind = LineKind::kEntry;
        line.name = content.substr(0, eq);
        line.valueBegin = line.begin + eq + 1;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

// Where section and key sit in the text.
struct Location {
    bool sectionFound = false;
    Line sectionLine;
    bool keyFound = false;
    Line keyLine;
    bool hasEntry = false; // the section has at least one entry
    Line lastEntry;
};

Location locate(std::string_view text, std::string_view section, std::string_view key) {
    Location where;
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == LineKind::kSection) {
            if (inSection) break; // only the first section of that name counts
            if (sameName(line.name, section)) {
                inSection = true;
                where.sectionFound = true;
                where.sectionLine = line;
            }
            continue;
        }
        if (!inSection || line.kind != LineKind::kEntry) continue;
        if (!where.keyFound && sameName(line.name, key)) {
            where.keyFound = true;
            where.keyLine = line;
        }
        where.hasEntry = true;
        where.lastEntry = line;
    }
    return where;
}

} // namespace

std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    Location where = locate(text, section, key);
    if (!where.keyFound) return std::nullopt;
    const Line& line = where.keyLine;
    std::string_view value = trim(text.substr(line.valueBegin, line.contentEnd - line.valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

int32_t parseInt(std::string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    uint32_t result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10u + static_cast<uint32_t>(value[i] - '0');
    }
    if (negative) result = 0u - result;
    return static_cast<int32_t>(result);
}

bool isWritableName(std::string_view name) {
    if (trim(name).empty() || trim(name).size() != name.size()) return false;
    if (name.front() == ';' || name.front() == '[') return false;
    for (char c : name)
        if (c == '\r' || c == '\n' || c == '=' || c == ']' || c == '\0') return false;
    return true;
}

bool isWritableValue(std::string_view value) {
    for (char c : value)
        if (c == '\r' || c == '\n' || c == '\0') return false;
    return true;
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    Location where = locate(text, section, key);
    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (where.keyFound) {
        const Line& line = where.keyLine;
        size_t valueStart = line.valueBegin;
        while (valueStart < line.contentEnd && isBlank(text[valueStart])) ++valueStart;
        out.append(text.substr(0, valueStart));
        out.append(value);
        out.append(text.substr(line.contentEnd));
        return out;
    }
    std::string entry;
    entry.append(key).append("=").append(value).append("\r\n");
    if (where.sectionFound) {
        const Line& after = where.hasEntry ? where.lastEntry : where.sectionLine;
        out.append(text.substr(0, after.end));
        if (after.end == after.contentEnd) out.append("\r\n"); // the last line had no line end
        out.append(entry);
        out.append(text.substr(after.end));
        return out;
    }
    out.append(text);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
    out.append("[").append(section).append("]\r\n").append(entry);
    return out;
}

} // namespace fer::ini

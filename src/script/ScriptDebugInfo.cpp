#include "script/ScriptDebugInfo.h"

#include <algorithm>
#include <charconv>

namespace fer {

namespace {

constexpr std::string_view kHeader = "mesdbg 1";

// Splits off the next blank-separated word of rest.
std::string_view word(std::string_view& rest) {
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const size_t end = std::min(rest.find(' '), rest.size());
    std::string_view w = rest.substr(0, end);
    rest.remove_prefix(end);
    return w;
}

bool number(std::string_view& rest, uint32_t& out) {
    const std::string_view w = word(rest);
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), out);
    return !w.empty() && ec == std::errc() && end == w.data() + w.size();
}

// The rest of the line after one blank: a path or a name, which may hold blanks.
bool tail(std::string_view rest, std::string& out) {
    if (rest.size() < 2 || rest[0] != ' ' || rest.size() - 1 > ScriptDebugInfo::kMaxNameLength)
        return false;
    out.assign(rest.substr(1));
    return true;
}

} // namespace

const char* ScriptDebugInfo::kindWord(NameKind kind) {
    switch (kind) {
    case NameKind::kReg16: return "r16";
    case NameKind::kReg32: return "r32";
    case NameKind::kFlag: return "flag";
    }
    return "";
}

std::optional<ScriptDebugInfo::NameKind> ScriptDebugInfo::kindNamed(std::string_view w) const {
    for (NameKind k : {NameKind::kReg16, NameKind::kReg32, NameKind::kFlag})
        if (w == kindWord(k)) return k;
    return std::nullopt;
}

std::string ScriptDebugInfo::write() const {
    std::string out = std::string(kHeader) + "\n";
    for (const std::string& s : sources) out += "source " + s + "\n";
    for (const Line& l : lines) {
        out += "line " + std::to_string(l.offset) + " " + std::to_string(l.source) + " " +
               std::to_string(l.line) + " " + std::to_string(l.column) + "\n";
    }
    for (const Label& l : labels) out += "label " + std::to_string(l.offset) + " " + l.name + "\n";
    for (const Procedure& p : procedures)
        out += "proc " + std::to_string(p.number) + " " + std::to_string(p.offset) + "\n";
    for (const Name& n : names) {
        out += std::string("name ") + kindWord(n.kind) + " " + std::to_string(n.number) + " " +
               n.name + "\n";
    }
    return out;
}

bool ScriptDebugInfo::parse(std::string_view text, std::string& error) {
    *this = ScriptDebugInfo();
    if (text.size() > kMaxText) {
        error = "the file is larger than 16 MiB";
        return false;
    }
    size_t lineNumber = 0;
    bool bad = false;
    while (!text.empty() && !bad) {
        ++lineNumber;
        const size_t eol = std::min(text.find('\n'), text.size());
        std::string_view rest = text.substr(0, eol);
        text.remove_prefix(std::min(eol + 1, text.size()));
        if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
        if (lineNumber == 1) {
            bad = rest != kHeader;
            continue;
        }
        const std::string_view kind = word(rest);
        if (kind == "source") {
            std::string path;
            bad = !tail(rest, path);
            sources.push_back(std::move(path));
        } else if (kind == "line") {
            Line l{};
            bad = !number(rest, l.offset) || !number(rest, l.source) || !number(rest, l.line) ||
                  !number(rest, l.column) || !word(rest).empty() || l.source >= sources.size() ||
                  (!lines.empty() && l.offset < lines.back().offset);
            lines.push_back(l);
        } else if (kind == "label") {
            Label l{};
            bad = !number(rest, l.offset) || !tail(rest, l.name);
            labels.push_back(std::move(l));
        } else if (kind == "proc") {
            Procedure p{};
            bad = !number(rest, p.number) || !number(rest, p.offset) || !word(rest).empty();
            procedures.push_back(p);
        } else if (kind == "name") {
            const std::optional<NameKind> k = kindNamed(word(rest));
            Name n{};
            bad = !k || !number(rest, n.number) || !tail(rest, n.name);
            if (k) n.kind = *k;
            names.push_back(std::move(n));
        } else {
            bad = !kind.empty();
        }
    }
    if (lineNumber == 0) bad = true;
    if (bad) {
        error = lineNumber <= 1 ? "it does not begin with '" + std::string(kHeader) + "'"
                                : "line " + std::to_string(lineNumber) + " is not understood";
        *this = ScriptDebugInfo();
        return false;
    }
    return true;
}

const ScriptDebugInfo::Line* ScriptDebugInfo::lineAt(uint32_t offset) const {
    auto it = std::upper_bound(lines.begin(), lines.end(), offset,
                               [](uint32_t o, const Line& l) { return o < l.offset; });
    return it == lines.begin() ? nullptr : &*(it - 1);
}

std::vector<uint32_t> ScriptDebugInfo::offsetsOf(uint32_t source, uint32_t line) const {
    std::vector<uint32_t> out;
    for (const Line& l : lines)
        if (l.source == source && l.line == line) out.push_back(l.offset);
    return out;
}

std::optional<uint32_t> ScriptDebugInfo::sourceIndex(std::string_view path) const {
    for (size_t i = 0; i < sources.size(); ++i)
        if (sources[i] == path) return static_cast<uint32_t>(i);
    return std::nullopt;
}

const std::string* ScriptDebugInfo::nameOf(NameKind kind, uint32_t number) const {
    for (const Name& n : names)
        if (n.kind == kind && n.number == number) return &n.name;
    return nullptr;
}

} // namespace fer

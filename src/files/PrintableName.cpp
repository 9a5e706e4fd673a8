#include "files/PrintableName.h"

#include <cstdint>

#include "core/IconvConverter.h"

namespace fer {
namespace {

void appendEscaped(std::string& out, uint8_t b) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0xF]);
}

// Whether the UTF-8 text is one character that is not a control character
// (C0, DEL or C1).
bool isPrintableCharacter(const std::string& utf8) {
    if (utf8.empty()) return false;
    const auto first = static_cast<uint8_t>(utf8[0]);
    if (first < 0x20 || first == 0x7F) return false;
    if (first == 0xC2 && utf8.size() > 1 && static_cast<uint8_t>(utf8[1]) < 0xA0) return false;
    return true;
}

} // namespace

std::string printableName(std::string_view name, NameCharset charset) {
    IconvConverter toUtf8("UTF-8", iconvNameOf(charset));
    std::string out;
    out.reserve(name.size());
    for (size_t at = 0; at < name.size();) {
        const auto b = static_cast<uint8_t>(name[at]);
        if (b >= 0x20 && b < 0x7F) {
            out.push_back(name[at++]);
            continue;
        }
        const size_t length = characterLength(name, at, charset);
        const auto converted = toUtf8.convert(name.substr(at, length));
        if (converted && isPrintableCharacter(*converted)) {
            out += *converted;
            at += length;
        } else {
            // The byte alone: a lead byte's partner is looked at afresh.
            appendEscaped(out, b);
            ++at;
        }
    }
    return out;
}

} // namespace fer

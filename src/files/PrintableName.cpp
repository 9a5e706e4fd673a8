#include "files/PrintableName.h"

#include <cstdint>

namespace fer {
namespace {

bool isLead(uint8_t b, NameCharset charset) {
    if (charset == NameCharset::kShiftJis)
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0x81 && b <= 0xFE;
}

bool isTrail(uint8_t b, NameCharset charset) {
    if (charset == NameCharset::kShiftJis) return b >= 0x40 && b <= 0xFC && b != 0x7F;
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Half-width katakana are single bytes in Shift-JIS.
bool isSingleHigh(uint8_t b, NameCharset charset) {
    return charset == NameCharset::kShiftJis && b >= 0xA1 && b <= 0xDF;
}

} // namespace

std::string printableName(std::string_view name, NameCharset charset) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<uint8_t>(name[i]);
        if (b >= 0x20 && b < 0x7F) {
            out.push_back(name[i]);
        } else if (isSingleHigh(b, charset)) {
            out.push_back(name[i]);
        } else if (isLead(b, charset) && i + 1 < name.size() &&
                   isTrail(static_cast<uint8_t>(name[i + 1]), charset)) {
            out.append(name.substr(i, 2));
            ++i;
        } else {
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
        }
    }
    return out;
}

} // namespace fer

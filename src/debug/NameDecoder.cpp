#include "debug/NameDecoder.h"

#include <cstdio>

namespace fer {

std::string NameDecoder::operator()(std::string_view name) {
    if (auto utf8 = toUtf8_.convert(name)) {
        bool plain = true;
        for (const char ch : *utf8)
            if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) plain = false;
        if (plain) return *utf8;
    }
    std::string out;
    for (const char ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F) {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

} // namespace fer

#include "script/StringLiteral.h"

#include "script/Charset.h"

#include <cstdio>

namespace fer::mes {

namespace {
bool isPrintable(int32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == '"' || cp == '\\') return false;
    if (cp >= 0xE000 && cp <= 0xF8FF) return false; // private use
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    if (cp == 0xFEFF || cp == 0xFFFD || cp == 0x2028 || cp == 0x2029) return false;
    return true;
}
} // namespace

std::string quoteText(Charset& charset, const uint8_t* bytes, size_t size, bool doubleByteOnly) {
    std::string out = "\"";
    size_t i = 0;
    while (i < size) {
        uint8_t b = bytes[i];
        if ((b == '"' || b == '\\') && !doubleByteOnly) {
            out += '\\';
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int32_t cp = -1;
        size_t n = 0;
        if (b >= 0x80 && i + 1 < size) {
            cp = charset.decodeExact(bytes + i, 2);
            n = 2;
        }
        if (!isPrintable(cp) && !doubleByteOnly) {
            cp = charset.decodeExact(bytes + i, 1);
            n = 1;
        }
        if (doubleByteOnly && n != 2) cp = -1;
        if (isPrintable(cp)) {
            appendUtf8(out, static_cast<uint32_t>(cp));
            i += n;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x{%02X}", b);
            out += buf;
            ++i;
        }
    }
    out += '"';
    return out;
}

} // namespace fer::mes

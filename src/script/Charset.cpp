#include "script/Charset.h"

#include "core/BuildVariant.h"

#include <algorithm>
#include <cstring>

namespace fer::mes {

namespace {
constexpr int32_t kUnknown = -2;
constexpr int32_t kInvalid = -1;
} // namespace

std::unique_ptr<Charset> Charset::open(std::string_view name) {
    const BuildVariant* variant = nullptr;
    if (name == kGb2312Variant.name) variant = &kGb2312Variant;
    if (name == kShiftJisVariant.name) variant = &kShiftJisVariant;
    if (variant == nullptr) return nullptr;
    std::unique_ptr<Charset> charset(new Charset(*variant));
    if (!charset->toCharset_.valid() || !charset->toUnicode_.valid()) return nullptr;
    return charset;
}

Charset::Charset(const BuildVariant& variant)
    : variant_(variant), toCharset_(variant.iconvCharset, "UTF-8"),
      toUnicode_("UTF-32LE", variant.iconvCharset), singleCache_(256, kUnknown),
      doubleCache_(65536, kUnknown) {}

std::string_view Charset::name() const {
    return variant_.name;
}

bool Charset::isLeadByte(uint8_t b) const {
    return variant_.isLeadByte(b);
}

size_t Charset::encode(std::string_view utf8, std::vector<uint8_t>& out) {
    // Validate first so that an invalid sequence is reported at its own place.
    for (size_t i = 0; i < utf8.size();) {
        size_t n = utf8SequenceLength(utf8, i);
        if (n == 0) return i;
        i += n;
    }
    bool ascii = true;
    for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii && variant_.name == std::string_view("gb2312")) {
        out.insert(out.end(), utf8.begin(), utf8.end());
        return std::string::npos;
    }
    size_t stoppedAt = 0;
    auto encoded = toCharset_.convert(utf8, &stoppedAt);
    if (!encoded) return stoppedAt;
    out.insert(out.end(), encoded->begin(), encoded->end());
    return std::string::npos;
}

int32_t Charset::decodeExact(const uint8_t* p, size_t n) {
    int32_t* slot = nullptr;
    if (n == 1)
        slot = &singleCache_[p[0]];
    else if (n == 2)
        slot = &doubleCache_[p[0] * 256 + p[1]];
    else
        return kInvalid;
    if (*slot == kUnknown) *slot = decodeUncached(p, n);
    return *slot;
}

int32_t Charset::decodeUncached(const uint8_t* p, size_t n) {
    const char bytes[2] = {static_cast<char>(p[0]), n > 1 ? static_cast<char>(p[1]) : '\0'};
    auto units = toUnicode_.convert(std::string_view(bytes, n));
    if (!units || units->size() != 4) return kInvalid;
    uint32_t cp;
    std::memcpy(&cp, units->data(), sizeof cp);
    std::string utf8;
    appendUtf8(utf8, cp);
    std::vector<uint8_t> back;
    if (encode(utf8, back) != std::string::npos || back.size() != n ||
        !std::equal(back.begin(), back.end(), p)) {
        return kInvalid;
    }
    return static_cast<int32_t>(cp);
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t utf8SequenceLength(std::string_view s, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = byte(i);
    size_t n;
    uint32_t cp;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2, cp = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3, cp = b & 0x0F;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4, cp = b & 0x07;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return n;
}

} // namespace fer::mes

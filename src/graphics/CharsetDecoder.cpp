#include "graphics/CharsetDecoder.h"

#include <cstring>

namespace fer {

bool CharsetDecoder::open(const std::string& charset) {
    // UTF-32LE: the engine runs on little-endian hosts only, so the output
    // is a char32_t as it stands, without a byte-order mark.
    return converter_.open("UTF-32LE", charset.c_str());
}

std::optional<char32_t> CharsetDecoder::decodeDouble(uint8_t lead, uint8_t trail) {
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    return decode(bytes, 2);
}

std::optional<char32_t> CharsetDecoder::decodeSingle(uint8_t single) {
    const char bytes[1] = {static_cast<char>(single)};
    return decode(bytes, 1);
}

std::optional<char32_t> CharsetDecoder::decode(const char* bytes, size_t length) {
    // A sequence that yields more than one code point is not one character.
    auto utf32 = converter_.convert(std::string_view(bytes, length));
    if (!utf32 || utf32->size() != sizeof(char32_t)) return std::nullopt;
    char32_t c;
    std::memcpy(&c, utf32->data(), sizeof c);
    return c;
}

} // namespace fer

#include "graphics/CharsetDecoder.h"

#include <cstring>

namespace fer {

CharsetDecoder::~CharsetDecoder() {
    if (isOpen()) iconv_close(handle_);
}

bool CharsetDecoder::open(const std::string& charset) {
    if (isOpen()) iconv_close(handle_);
    // UTF-32LE: the engine runs on little-endian hosts only, so the output
    // is a char32_t as it stands, without a byte-order mark.
    handle_ = iconv_open("UTF-32LE", charset.c_str());
    return isOpen();
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
    if (!isOpen()) return std::nullopt;
    // Room for two code points: a sequence that yields more than one is not
    // one character.
    char32_t out[2] = {};
    char* in = const_cast<char*>(bytes);
    size_t inLeft = length;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr); // a fresh shift state
    const size_t result = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
    // An incomplete sequence at the end is only seen when the input is
    // flushed.
    const size_t flushed = iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
    const size_t produced = sizeof out - outLeft;
    if (result == static_cast<size_t>(-1) || flushed == static_cast<size_t>(-1) || inLeft != 0 ||
        produced != sizeof(char32_t))
        return std::nullopt;
    return out[0];
}

} // namespace fer

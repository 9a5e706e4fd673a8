#pragma once
// Converts the script's character codes to Unicode code points through
// iconv, with the build's code page (CP936 or CP932). A double-byte code is
// lead x 256 + trail; a single-byte code is one byte.

#include <cstdint>
#include <optional>
#include <string>

#include "core/IconvConverter.h"

namespace fer {

class CharsetDecoder {
  public:
    // Opens the conversion from charset (an iconv name such as "CP936").
    // False when iconv does not know it.
    bool open(const std::string& charset);
    bool isOpen() const { return converter_.valid(); }

    // The code point of one character: the two bytes lead, trail or the one
    // byte single. Empty when the bytes are not exactly one character of the
    // code page (or the decoder is not open).
    std::optional<char32_t> decodeDouble(uint8_t lead, uint8_t trail);
    std::optional<char32_t> decodeSingle(uint8_t single);

  private:
    std::optional<char32_t> decode(const char* bytes, size_t length);

    IconvConverter converter_;
};

} // namespace fer

#pragma once
// Writes script text bytes as a source string literal: characters of the
// charset that convert back to the same bytes appear as themselves, every
// other byte as \x{HH}. In double-byte text (doubleByteOnly) a character
// the charset writes as one byte is a \x{HH} too: the assembler refuses such
// characters there, since the text is drawn two bytes at a time.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fer::mes {

class Charset;

std::string quoteText(Charset& charset, const uint8_t* bytes, size_t size,
                      bool doubleByteOnly = false);

} // namespace fer::mes

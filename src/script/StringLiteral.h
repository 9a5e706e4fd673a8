#pragma once
// Writes script text bytes as a source string literal: characters of the
// charset that convert back to the same bytes appear as themselves, every
// other byte as \x{HH}.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fer::mes {

class Charset;

std::string quoteText(Charset& charset, const uint8_t* bytes, size_t size);

} // namespace fer::mes

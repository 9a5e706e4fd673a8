#pragma once
// The code page of names from game data: the build's double-byte character
// set. A name is a string of characters, each either one byte or a lead byte
// with the byte after it (its trail byte). A trail byte may have the value
// of an ASCII letter or of the backslash and is still neither: names are
// split, compared and upper-cased character by character, never byte by byte.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fer {

enum class NameCharset {
    kGbk,      // the GB2312 build (code page 936)
    kShiftJis, // the Shift-JIS build (code page 932)
};

// The charset of a build from its iconv code-page name ("CP932" is Shift-JIS).
NameCharset nameCharsetFor(std::string_view iconvCharset);

// The code page's iconv name.
const char* iconvNameOf(NameCharset charset);

// Whether b begins a two-byte character: the lead bytes of the build, the
// same that its text is drawn with.
bool isNameLeadByte(uint8_t b, NameCharset charset);

// How many bytes the character at name[at] takes: 2 for a lead byte that
// has a byte after it, else 1.
size_t characterLength(std::string_view name, size_t at, NameCharset charset);

} // namespace fer

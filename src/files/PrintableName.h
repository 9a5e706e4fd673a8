#pragma once
// File names from game data as they may be shown in a message box, on
// stderr or in the log: bytes that are not printable characters of the
// build's double-byte code page (control bytes, stray lead bytes, bytes the
// code page does not use) are written as \xNN, so a name cannot move the
// cursor, ring the bell or send a terminal its control sequences.

#include <string>
#include <string_view>

namespace fer {

enum class NameCharset {
    kGbk,      // the GB2312 build (code page 936)
    kShiftJis, // the Shift-JIS build (code page 932)
};

// The charset of a build from its iconv code-page name ("CP932" is Shift-JIS).
NameCharset nameCharsetFor(std::string_view iconvCharset);

std::string printableName(std::string_view name, NameCharset charset);

} // namespace fer

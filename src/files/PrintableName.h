#pragma once
// File names from game data as they may be shown in a message box, on
// stderr or in the log, all of which take UTF-8: the name's characters in
// the build's double-byte code page (see NameCharset.h) are converted to
// UTF-8, and bytes that are no printable character of it (control bytes,
// stray lead bytes, bytes the code page does not use) are written as \xNN,
// so a name cannot move the cursor, ring the bell or send a terminal its
// control sequences.

#include <string>
#include <string_view>

#include "files/NameCharset.h"

namespace fer {

std::string printableName(std::string_view name, NameCharset charset);

} // namespace fer

#pragma once
// Finds an existing file whatever the letter case of its name. Game data
// copied from a disc or another system keep names in any case, while scripts
// spell them their own way ("main.mes" for MAIN.MES). A backslash in a name
// separates directories, as it does in the scripts, unless it is the trail
// byte of a double-byte character; only single-byte ASCII letters have a
// case (see NameCharset.h).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "files/NameCharset.h"

namespace fer {

// The name with every backslash that separates directories turned into a slash.
std::string toSlashes(std::string_view name, NameCharset charset);

// The name with its single-byte letters a to z upper-cased.
std::string upperCased(std::string_view name, NameCharset charset);

// The path of an existing regular file named name under base (or name alone
// when it is absolute): the exact spelling first, else each part matched
// without regard to ASCII case; of several spellings that match, the first
// in byte order. nullopt when there is none.
std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& base,
                                                      std::string_view name,
                                                      NameCharset charset) noexcept;

// The file named name in folder whatever its letter case, else folder/name
// (where it would be created): a settings file copied as "kite5han.ini" is
// read, and written back, under its own name.
std::filesystem::path pathIgnoringCase(const std::filesystem::path& folder, std::string_view name,
                                       NameCharset charset);

} // namespace fer

#pragma once
// Finds an existing file whatever the letter case of its name. Game data
// copied from a disc or another system keep names in any case, while scripts
// spell them their own way ("main.mes" for MAIN.MES). A backslash in a name
// separates directories, as it does in the scripts.

#include <filesystem>
#include <optional>
#include <string_view>

namespace fer {

// The name with every backslash turned into a slash.
std::string toSlashes(std::string_view name);

// The path of an existing regular file named name under base (or name alone
// when it is absolute): the exact spelling first, else each part matched
// without regard to ASCII case; of several spellings that match, the first
// in byte order. nullopt when there is none.
std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& base,
                                                      std::string_view name) noexcept;

} // namespace fer

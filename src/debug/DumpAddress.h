#pragma once
// The address typed into the dump's address box: an unsigned decimal number
// such that the whole dump lies inside the script memory. Blanks around the
// digits are allowed; anything else (an empty field, a sign, letters, a
// number too large) is refused.

#include <cstdint>
#include <optional>
#include <string_view>

namespace fer {

std::optional<uint32_t> parseDumpAddress(std::string_view text, uint32_t dumpLength);

} // namespace fer

#pragma once
// The game's title as the settings file holds it ("TITLE", in the build's
// double-byte code page, as every existing game writes it) in UTF-8, for the
// window's title and the name of the player's own folder.

#include <string>
#include <string_view>

#include "core/BuildVariant.h"

namespace fer {

// The title in UTF-8. A title that is not in the code page but is UTF-8
// already is kept; bytes that are neither are dropped.
std::string gameTitleInUtf8(std::string_view title, const BuildVariant& variant);

} // namespace fer

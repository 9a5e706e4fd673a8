#pragma once
// Loads the text font for a build: locates the file (FontLocator), opens it
// with FreeType and checks that it has the build's characters. Failure is
// the fatal error "font creation failed", with a line that says what to
// install or which file could not be used.

#include <memory>
#include <string_view>

#include "graphics/GlyphRasterizer.h"
#include "core/BuildVariant.h"
#include "core/FatalErrorHandler.h"

namespace fer {

// chosenFile: the file the player chose (command-line option, else the
// [FerKite] FontFile setting), empty for the default. nullptr after the
// fatal error has been reported.
std::unique_ptr<GlyphRasterizer>
loadTextFont(const BuildVariant& variant, std::string_view chosenFile, FatalErrorHandler& errors);

} // namespace fer

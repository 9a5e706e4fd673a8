#pragma once
// The window's font: GNU Unifont (a 16-pixel bitmap design that covers CJK),
// rendered by FreeType without anti-aliasing so the Chinese menu texts stay
// crisp, with only the glyphs of a MenuGlyphs set in the atlas.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sdl/MenuGlyphs.h"

namespace fer {

class MenuFont {
  public:
    static constexpr float kPixelSize = 16.0f;

    // The font file: the usual Unifont path first, then fontconfig's best
    // match for Unifont covering Chinese. Empty when neither is found.
    static std::string findFile();

    // Builds the current ImGui context's font atlas from the file with the
    // glyphs of the set (ImGui's built-in font when the file is missing or
    // unusable). Returns whether the CJK font was used. The renderer's font
    // texture must be (re)created afterwards.
    bool build(const std::string& path, const MenuGlyphs& glyphs);

  private:
    std::vector<uint16_t> ranges_; // the atlas keeps a pointer to these
};

} // namespace fer

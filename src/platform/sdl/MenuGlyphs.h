#pragma once
// The characters the window's font must hold: printable ASCII, the menu
// texts and the texts of the boxes shown so far. The font atlas is built
// from these only, so a CJK font costs a few hundred glyphs, not tens of
// thousands.

#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

#include "platform/MenuModel.h"

namespace fer {

class MenuGlyphs {
  public:
    // Starts with printable ASCII.
    MenuGlyphs();

    // Adds the characters of a UTF-8 text (malformed bytes are skipped);
    // true when a character was new.
    bool add(std::string_view utf8);
    // Adds the texts of every popup and item.
    bool add(const MenuModel& menu);

    bool contains(char32_t c) const { return codepoints_.count(c) != 0; }
    size_t size() const { return codepoints_.size(); }

    // Glyph ranges for the font atlas: inclusive first/last pairs of runs of
    // consecutive characters, then a terminating 0. Only the basic
    // multilingual plane (the atlas holds 16-bit characters).
    std::vector<uint16_t> ranges() const;

  private:
    std::set<char32_t> codepoints_;
};

// Decodes UTF-8; malformed or overlong sequences and surrogates are skipped.
std::vector<char32_t> decodeUtf8(std::string_view text);

} // namespace fer

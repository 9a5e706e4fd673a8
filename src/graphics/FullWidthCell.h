#pragma once
// Double-byte punctuation takes a whole cell. Many fonts (the default one
// among them) draw dashes and ellipses half-width, so "——完——" would show
// as short dashes with gaps, and "……" as two small groups of dots. A
// half-width glyph of such a character is stretched to the full cell, each
// column drawn twice, so dashes join and dots spread as in the games' own
// fonts.

#include "graphics/GlyphMask.h"

namespace fer {

// Whether the character is a line or row of dots that should fill its cell.
bool fillsItsCell(char32_t codePoint);

// Stretches mask to twice its width when all its pixels lie in the left half
// of a cell cellWidth wide; false (mask unchanged) otherwise.
bool stretchToFullCell(GlyphMask& mask, int cellWidth);

} // namespace fer

#pragma once
// The text cursor of the script machine: 16-bit registers 36 and 37 inside
// the text area of registers 32 to 35, moved by the advances of registers 43
// and 44. Shared by the text instructions and the number command.

#include <cstdint>

#include "core/ScriptMemory.h"
#include "core/TextSink.h"

namespace fer {

// Moves the cursor on after a character of the given advance: to the next
// line when the next character would pass the right edge, back to the top
// when the next line would pass the bottom.
void advanceTextCursor(ScriptMemory& memory, uint32_t advance);

// Presents the text area when text goes to plane 0.
void presentTextArea(const ScriptMemory& memory, TextSink& sink);

} // namespace fer

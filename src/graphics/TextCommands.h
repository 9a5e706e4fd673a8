#pragma once
// The text system commands: 0 font size (from 16-bit registers 40 and 41),
// 1 number (arg 0 as decimal digits at the text cursor, with the number
// options of register 39) and 12 text colours (register 38 from arg 0, then
// the renderer uses it).

#include <cstdint>

#include "graphics/TextRenderer.h"
#include "core/ArgumentList.h"
#include "core/BuildVariant.h"
#include "core/CommandTable.h"
#include "core/ScriptMemory.h"
#include "core/TextSink.h"

namespace fer {

class TextCommands {
  public:
    static constexpr uint32_t kFontSize = 0;
    static constexpr uint32_t kNumber = 1;
    static constexpr uint32_t kTextColour = 12;
    static constexpr unsigned kMaxDigits = 5;
    static constexpr uint16_t kHalfWidthDigits = 0x100;

    // Characters go to sink, as the text instructions' do.
    TextCommands(ScriptMemory& memory, TextSink& sink, TextRenderer& renderer,
                 const BuildVariant& variant)
        : memory_(memory), sink_(sink), renderer_(renderer), variant_(variant) {}

    // Registers system commands 0, 1 and 12.
    void registerWith(CommandTable& table);

    void fontSize();
    // Draws the low five decimal digits of value, as many as the options ask
    // (a count above 5 draws 5), each through the host's drawChar like the
    // text instructions, moving the cursor after each; then presents the
    // text area when the drawing plane is 0.
    void printNumber(uint32_t value);
    // Register 38 = (colours AND 0x0F) + 256 x ((colours AND 0xF0) / 16);
    // the renderer takes it.
    void textColour(uint32_t colours);

  private:
    ScriptMemory& memory_;
    TextSink& sink_;
    TextRenderer& renderer_;
    const BuildVariant& variant_;
};

} // namespace fer

#pragma once
// The text system commands: 0 font size (from 16-bit registers 40 and 41),
// 1 number (arg 0 as decimal digits at the text cursor, with the number
// options of register 39) and 12 text colours (the script engine has stored
// the colour register 38 already; this makes the renderer use it).

#include <cstdint>

#include "graphics/TextRenderer.h"
#include "script/ArgumentList.h"
#include "script/Interpreter.h"

namespace fer {

class TextCommands {
  public:
    static constexpr uint32_t kFontSize = 0;
    static constexpr uint32_t kNumber = 1;
    static constexpr uint32_t kTextColour = 12;
    static constexpr unsigned kMaxDigits = 5;
    static constexpr uint16_t kHalfWidthDigits = 0x100;

    TextCommands(Interpreter& interpreter, TextRenderer& renderer)
        : interpreter_(interpreter), renderer_(renderer) {}

    // Carries out system command 0, 1 or 12; false, doing nothing, for any
    // other number.
    bool execute(uint32_t number, const ArgumentList& args);

    void fontSize();
    // Draws the low five decimal digits of value, as many as the options ask
    // (a count above 5 draws 5), each through the host's drawChar like the
    // text instructions, moving the cursor after each; then presents the
    // text area when the drawing plane is 0.
    void printNumber(uint32_t value);
    void textColour();

  private:
    Interpreter& interpreter_;
    TextRenderer& renderer_;
};

} // namespace fer

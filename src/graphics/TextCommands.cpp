#include "graphics/TextCommands.h"

#include <array>

namespace fer {

namespace {
constexpr uint8_t kRegTextPlane = 27;
constexpr uint8_t kRegCursorX = 36;
constexpr uint8_t kRegCursorY = 37;
constexpr uint8_t kRegTextColours = 38;
constexpr uint8_t kRegNumberOptions = 39;
constexpr uint8_t kRegFontWidth = 40;
constexpr uint8_t kRegFontHeight = 41;
constexpr uint8_t kRegTextStyle = 42;
constexpr uint8_t kRegAdvance = 43;
} // namespace

bool TextCommands::execute(uint32_t number, const ArgumentList& args) {
    switch (number) {
    case kFontSize: fontSize(); return true;
    case kNumber: printNumber(args.value(0)); return true;
    case kTextColour: textColour(); return true;
    default: return false;
    }
}

void TextCommands::fontSize() {
    const ScriptMemory& mem = interpreter_.machine().memory;
    renderer_.setFontSize(mem.reg16(kRegFontWidth), mem.reg16(kRegFontHeight));
}

void TextCommands::textColour() {
    renderer_.setColours(interpreter_.machine().memory.reg16(kRegTextColours));
}

void TextCommands::printNumber(uint32_t value) {
    ScriptMemory& mem = interpreter_.machine().memory;
    std::array<uint8_t, kMaxDigits> digits{}; // ten-thousands first
    for (int i = kMaxDigits - 1; i >= 0; --i) {
        digits[i] = static_cast<uint8_t>(value % 10);
        value /= 10;
    }
    const uint16_t options = mem.reg16(kRegNumberOptions);
    unsigned count = options & 0xFF;
    if (count == 0) {
        count = 1;
        for (unsigned i = 0; i < kMaxDigits; ++i) {
            if (digits[i] != 0) {
                count = kMaxDigits - i;
                break;
            }
        }
    }
    if (count > kMaxDigits) count = kMaxDigits;

    const bool halfWidth = (options & kHalfWidthDigits) != 0;
    const uint16_t base = halfWidth ? 0x30 : interpreter_.variant().fullWidthDigitBase;
    for (unsigned i = kMaxDigits - count; i < kMaxDigits; ++i) {
        interpreter_.host().drawChar(
            mem.reg16(kRegTextPlane), static_cast<uint16_t>(base + digits[i]),
            mem.reg16(kRegCursorX), mem.reg16(kRegCursorY), mem.reg16(kRegTextStyle));
        const uint32_t advance = mem.reg16(kRegAdvance);
        interpreter_.advanceCursor(halfWidth ? advance / 2 : advance);
    }
    interpreter_.presentTextArea();
}

} // namespace fer

#include "graphics/TextCommands.h"

#include <array>

#include "core/TextCursor.h"

namespace fer {

void TextCommands::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, kFontSize, Subsystem::kText,
              [this](const ArgumentList&) { fontSize(); });
    table.add(CommandKind::kSystem, kNumber, Subsystem::kText,
              [this](const ArgumentList& args) { printNumber(args.value(0)); });
    table.add(CommandKind::kSystem, kTextColour, Subsystem::kText,
              [this](const ArgumentList& args) { textColour(args.value(0)); });
}

void TextCommands::fontSize() {
    const ScriptMemory& mem = memory_;
    renderer_.setFontSize(mem.reg16(reg16::kFontWidth), mem.reg16(reg16::kFontHeight));
}

void TextCommands::textColour(uint32_t colours) {
    const uint16_t value = static_cast<uint16_t>((colours & 0x0F) + 256 * ((colours & 0xF0) / 16));
    memory_.setReg16(reg16::kColours, value);
    renderer_.setColours(value);
}

void TextCommands::printNumber(uint32_t value) {
    ScriptMemory& mem = memory_;
    std::array<uint8_t, kMaxDigits> digits{}; // ten-thousands first
    for (int i = kMaxDigits - 1; i >= 0; --i) {
        digits[i] = static_cast<uint8_t>(value % 10);
        value /= 10;
    }
    const uint16_t options = mem.reg16(reg16::kNumberOptions);
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
    const uint16_t base = halfWidth ? 0x30 : variant_.fullWidthDigitBase;
    for (unsigned i = kMaxDigits - count; i < kMaxDigits; ++i) {
        sink_.drawChar(
            mem.reg16(reg16::kPlane), static_cast<uint16_t>(base + digits[i]),
            mem.reg16(reg16::kCursorX), mem.reg16(reg16::kCursorY), mem.reg16(reg16::kTextStyle));
        const uint32_t advance = mem.reg16(reg16::kAdvance);
        advanceTextCursor(mem, halfWidth ? advance / 2 : advance);
    }
    presentTextArea(mem, sink_);
}

} // namespace fer

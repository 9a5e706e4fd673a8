#pragma once
// Byte values of the MES instruction set and of its postfix expressions.

#include <array>
#include <cstdint>
#include <string_view>

namespace fer::mes {

namespace op {
inline constexpr uint8_t kEnd = 0;
inline constexpr uint8_t kText = 1;
inline constexpr uint8_t kSingleText = 2;
inline constexpr uint8_t kSetFlags = 3;
inline constexpr uint8_t kSetReg16 = 4;
inline constexpr uint8_t kSetBytes = 5;
inline constexpr uint8_t kSetDim8 = 6;
inline constexpr uint8_t kSetDim16 = 7;
inline constexpr uint8_t kSetDim32 = 8;
inline constexpr uint8_t kIfGoto = 9;
inline constexpr uint8_t kGoto = 10;
inline constexpr uint8_t kSystem = 11;
inline constexpr uint8_t kChangeScript = 12;
inline constexpr uint8_t kCallScript = 13;
inline constexpr uint8_t kChoiceItem = 14;
inline constexpr uint8_t kCallProc = 15;
inline constexpr uint8_t kExternal = 16;
inline constexpr uint8_t kTextControl = 17;
inline constexpr uint8_t kDefineProc = 18;
inline constexpr uint8_t kChoiceLoop = 19;
inline constexpr uint8_t kSetReg32 = 20;
} // namespace op

// Items of the postfix expression byte code.
namespace ex {
inline constexpr uint8_t kReg16 = 0x80;
inline constexpr uint8_t kDim16 = 0xA0;
inline constexpr uint8_t kDim8 = 0xC0;
inline constexpr uint8_t kFirstOperator = 0xE0; // 0xE0..0xF0 except 0xE5
inline constexpr uint8_t kRandom = 0xE5;
inline constexpr uint8_t kLastOperator = 0xF0;
inline constexpr uint8_t kWord = 0xF1;
inline constexpr uint8_t kDword = 0xF2;
inline constexpr uint8_t kFlagConst = 0xF3;
inline constexpr uint8_t kFlagComputed = 0xF4;
inline constexpr uint8_t kDim32 = 0xF5;
inline constexpr uint8_t kReg32 = 0xF6;
inline constexpr uint8_t kEndOfExpression = 0xFF;

// A byte that pushes its own value: 0x00..0x7F, and 0x81..0xFE where no item is defined.
constexpr bool isLiteralByte(uint32_t b) {
    if (b <= 0x7F) return true;
    if (b < 0x81 || b > 0xFE) return false;
    return b != kDim16 && b != kDim8 && (b < 0xE0 || b > kReg32);
}
} // namespace ex

// Argument-list tags.
namespace tag {
inline constexpr uint8_t kEndOfList = 0;
inline constexpr uint8_t kText = 1;
inline constexpr uint8_t kNumber = 2;
} // namespace tag

// The names of system commands 0..20, in command-number order.
inline constexpr std::array<std::string_view, 21> kSystemCommandNames = {
    "font_size",   "print_number", "cursor",     "animation",  "save_state",     "music",
    "voice",       "load_data",    "load_image", "palette",    "block_transfer", "wait",
    "text_colour", "run_at",       "hit_test",   "choice_key", "clock",          "map",
    "message_log", "stop_all",     "wait_click"};

} // namespace fer::mes

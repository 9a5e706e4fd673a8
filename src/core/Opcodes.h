#pragma once
// Byte values of the MES instruction set and of its postfix expressions.

#include <cstdint>

#include "core/ExpressionOperators.h"

namespace fer::mes {

namespace op {
// The instruction numbers; InstructionTable.h gives each its name,
// operands, owner and description.
enum Opcode : uint8_t {
    kEnd = 0,
    kText = 1,
    kSingleText = 2,
    kSetFlags = 3,
    kSetReg16 = 4,
    kSetBytes = 5,
    kSetDim8 = 6,
    kSetDim16 = 7,
    kSetDim32 = 8,
    kIfGoto = 9,
    kGoto = 10,
    kSystem = 11,
    kChangeScript = 12,
    kCallScript = 13,
    kChoiceItem = 14,
    kCallProc = 15,
    kExternal = 16,
    kTextControl = 17,
    kDefineProc = 18,
    kChoiceLoop = 19,
    kSetReg32 = 20,
};
inline constexpr uint8_t kLastOpcode = kSetReg32;
} // namespace op

// Items of the postfix expression byte code.
namespace ex {
inline constexpr uint8_t kLastSmallLiteral = 0x7F; // 0x00..0x7F push themselves
inline constexpr uint8_t kReg16 = 0x80;
inline constexpr uint8_t kDim16 = 0xA0;
inline constexpr uint8_t kDim8 = 0xC0;
inline constexpr uint8_t kFirstOperator = 0xE0; // 0xE0..0xF0 except 0xE5: ExpressionOperators.h
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
    if (b <= kLastSmallLiteral) return true;
    if (b <= kReg16 || b >= kEndOfExpression) return false;
    return b != kDim16 && b != kDim8 && (b < kFirstOperator || b > kReg32);
}
} // namespace ex

// Argument-list tags.
namespace tag {
inline constexpr uint8_t kEndOfList = 0;
inline constexpr uint8_t kText = 1;
inline constexpr uint8_t kNumber = 2;
} // namespace tag

} // namespace fer::mes

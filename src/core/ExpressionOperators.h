#pragma once
// The binary operators of the postfix expressions, each written once: the
// evaluator runs them, the assembler folds constants with them and spells
// them, and the expression decoder spells them back.

#include <array>
#include <cstdint>
#include <string_view>

// Each row: the byte's name, its value, the spelling in MES source, the
// precedence (0 binds loosest, as in C) and the value pushed for the left
// operand l and the right operand r (both unsigned 32-bit). A zero divisor
// yields 0; the logical operators take only the value 1 as true.
#define FER_EXPRESSION_OPERATORS(X)                                                               \
    X(kAdd, 0xE0, "+", 7, l + r)                                                                  \
    X(kSubtract, 0xE1, "-", 7, l - r)                                                             \
    X(kMultiply, 0xE2, "*", 8, l * r)                                                             \
    X(kDivide, 0xE3, "/", 8, r ? l / r : 0)                                                       \
    X(kRemainder, 0xE4, "%", 8, r ? l % r : 0)                                                    \
    X(kLogicalAnd, 0xE6, "&&", 1, l == 1 && r == 1)                                               \
    X(kLogicalOr, 0xE7, "||", 0, l == 1 || r == 1)                                                \
    X(kBitAnd, 0xE8, "&", 4, l & r)                                                               \
    X(kBitOr, 0xE9, "|", 2, l | r)                                                                \
    X(kBitXor, 0xEA, "^", 3, l ^ r)                                                               \
    X(kLess, 0xEB, "<", 6, l < r)                                                                 \
    X(kGreater, 0xEC, ">", 6, l > r)                                                              \
    X(kLessEqual, 0xED, "<=", 6, l <= r)                                                          \
    X(kGreaterEqual, 0xEE, ">=", 6, l >= r)                                                       \
    X(kEqual, 0xEF, "==", 5, l == r)                                                              \
    X(kNotEqual, 0xF0, "!=", 5, l != r)

namespace fer::mes {

namespace ex {
#define FER_OPERATOR_BYTE(name, code, spelling, level, value) inline constexpr uint8_t name = code;
FER_EXPRESSION_OPERATORS(FER_OPERATOR_BYTE)
#undef FER_OPERATOR_BYTE
} // namespace ex

struct BinaryOperator {
    uint8_t code;
    std::string_view spelling;
    int level;
};

inline constexpr std::array kBinaryOperators = {
#define FER_OPERATOR_ROW(name, code, spelling, level, value) BinaryOperator{code, spelling, level},
    FER_EXPRESSION_OPERATORS(FER_OPERATOR_ROW)
#undef FER_OPERATOR_ROW
};

// The operator of a byte; nullptr for a byte that is none.
constexpr const BinaryOperator* binaryOperator(uint8_t code) {
    for (const BinaryOperator& op : kBinaryOperators)
        if (op.code == code) return &op;
    return nullptr;
}

// The value an operator pushes; 0 for a byte that is none.
constexpr uint32_t applyOperator(uint8_t code, uint32_t l, uint32_t r) {
    switch (code) {
#define FER_OPERATOR_VALUE(name, code, spelling, level, value)                                     \
    case ex::name: return value;
        FER_EXPRESSION_OPERATORS(FER_OPERATOR_VALUE)
#undef FER_OPERATOR_VALUE
    default: return 0;
    }
}

} // namespace fer::mes

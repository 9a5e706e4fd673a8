#pragma once
// Parses an infix expression and compiles it to postfix byte code, ending
// with the end byte 0xFF. Literals take the shortest form (0x00..0x7F inline,
// else 0xF1 or 0xF2) unless a suffix :b, :w or :d chooses one.

#include "TokenStream.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace fer::mes {

using ConstantTable = std::unordered_map<std::string, uint32_t>;

struct CompiledExpression {
    std::vector<uint8_t> code; // without the end byte
    bool constant = true;      // only literals and operators
    bool suffixed = false;     // a literal carries an encoding suffix
    uint32_t value = 0;        // the value when constant
};

class ExpressionParser {
  public:
    static constexpr int kMaxNesting = 128;

    ExpressionParser(TokenStream& tokens, const ConstantTable& constants)
        : tokens_(tokens), constants_(constants) {}

    // An expression compiled for the evaluator, end byte included.
    std::vector<uint8_t> parseRuntime();
    // A value the assembler needs now (register numbers, targets, ...).
    uint32_t parseConstant(const char* what);
    CompiledExpression parse();

  private:
    CompiledExpression parseBinary(int minLevel);
    CompiledExpression parseUnary();
    CompiledExpression parsePrimary();
    uint32_t parseBracketConstant(const char* what, uint32_t max);

    TokenStream& tokens_;
    const ConstantTable& constants_;
    int depth_ = 0;
};

// Appends the encoding of literal v: suffix 0 (shortest), 'b', 'w' or 'd'.
// Returns an error message, or an empty string.
std::string encodeLiteral(uint32_t v, char suffix, std::vector<uint8_t>& out);

} // namespace fer::mes

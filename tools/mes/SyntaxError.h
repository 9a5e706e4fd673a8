#pragma once
// Thrown while a statement is parsed; the assembler reports it and goes on
// with the next line.

#include "Token.h"

#include <string>

namespace fer::mes {

struct SyntaxError {
    int line;
    int column;
    std::string message;

    SyntaxError(const Token& at, std::string text)
        : line(at.line), column(at.column), message(std::move(text)) {}
    SyntaxError(int l, int c, std::string text) : line(l), column(c), message(std::move(text)) {}
};

} // namespace fer::mes

#pragma once
// Turns postfix expression byte code back into infix source text that
// compiles to the same bytes: parentheses where precedence needs them and
// an encoding suffix on every literal not written in its shortest form.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace fer::mes {

class ExpressionDecoder {
  public:
    // Decodes the expression at code[p], which ends with its end byte at
    // code[end - 1]; nullopt when it is not a single well-formed value.
    static std::optional<std::string> decode(std::span<const uint8_t> code, size_t p, size_t end);
};

std::string formatNumber(uint32_t v);

} // namespace fer::mes

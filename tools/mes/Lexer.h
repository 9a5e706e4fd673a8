#pragma once
// Splits MES source text into tokens. Lines end statements, so every line
// break is a token; "//" starts a comment that runs to the end of the line.

#include "Diagnostic.h"
#include "Token.h"

#include <string>
#include <string_view>
#include <vector>

namespace fer::mes {

class Lexer {
  public:
    Lexer(std::string file, std::string_view text, std::vector<Diagnostic>& diagnostics)
        : file_(std::move(file)), text_(text), diagnostics_(diagnostics) {}

    // The whole text as tokens, ending with an End token. A bad token is
    // reported and the rest of its line is dropped.
    std::vector<Token> tokenize();

  private:
    bool lexNumber(Token& token);
    bool lexString(Token& token);
    void error(int column, std::string message);
    void skipLine();
    char peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    int column() const { return static_cast<int>(pos_ - lineStart_) + 1; }

    std::string file_;
    std::string_view text_;
    std::vector<Diagnostic>& diagnostics_;
    size_t pos_ = 0;
    size_t lineStart_ = 0;
    int line_ = 1;
};

} // namespace fer::mes

#pragma once
// Reading position in the tokens of one source file.

#include "SyntaxError.h"
#include "Token.h"

#include <vector>

namespace fer::mes {

class TokenStream {
  public:
    explicit TokenStream(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    const Token& peek(size_t ahead = 0) const {
        size_t i = index_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    // The current token; the position stays on a line end, which only
    // nextLine() passes, so that an error never swallows the next statement.
    const Token& next() {
        const Token& t = peek();
        if (!atLineEnd()) ++index_;
        return t;
    }
    void nextLine() {
        if (peek().kind == TokenKind::Newline) ++index_;
    }
    bool atLineEnd() const {
        return peek().kind == TokenKind::Newline || peek().kind == TokenKind::End;
    }
    bool acceptPunct(const char* p) {
        if (!peek().isPunct(p)) return false;
        next();
        return true;
    }
    const Token& expectPunct(const char* p) {
        if (!peek().isPunct(p))
            throw SyntaxError(peek(), std::string("expected '") + p + "'" + found());
        return next();
    }
    std::string found() const {
        const Token& t = peek();
        switch (t.kind) {
        case TokenKind::Newline:
        case TokenKind::End: return " at the end of the line";
        case TokenKind::String: return " before a string";
        default: return " before '" + t.text + "'";
        }
    }
    // Skips to the first token of the next line.
    void skipLine() {
        while (!atLineEnd()) next();
        nextLine();
    }

  private:
    std::vector<Token> tokens_;
    size_t index_ = 0;
};

} // namespace fer::mes

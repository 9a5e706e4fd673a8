#pragma once
// A token of MES source text.

#include <cstdint>
#include <string>
#include <vector>

namespace fer::mes {

// One part of a string literal: UTF-8 text to be converted, or one raw byte (\x{..}).
struct StringPiece {
    bool raw = false;
    uint8_t byte = 0;
    std::string text;
    int column = 0; // column of the piece's first character
};

enum class TokenKind { Identifier, Number, String, Punct, Newline, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text; // identifier name, punctuator, or number spelling
    uint32_t value = 0;
    char suffix = 0; // number encoding suffix: 'b', 'w', 'd' or 0
    std::vector<StringPiece> pieces;
    int line = 0;
    int column = 0;

    bool is(TokenKind k, const char* s) const { return kind == k && text == s; }
    bool isPunct(const char* s) const { return is(TokenKind::Punct, s); }
    bool isWord(const char* s) const { return is(TokenKind::Identifier, s); }
};

} // namespace fer::mes

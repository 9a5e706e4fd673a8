#include "Lexer.h"

#include "script/Charset.h"

#include <cctype>

namespace fer::mes {

namespace {
bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr const char* kTwoCharPuncts[] = {"<=", ">=", "==", "!=", "&&", "||", "->"};
constexpr std::string_view kOneCharPuncts = "[](){},=+-*/%&|^<>:";
} // namespace

void Lexer::error(int column, std::string message) {
    diagnostics_.push_back({{file_, line_, column}, std::move(message)});
}

void Lexer::skipLine() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
}

std::vector<Token> Lexer::tokenize() {
    std::vector<Token> tokens;
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++pos_;
            continue;
        }
        Token token;
        token.line = line_;
        token.column = column();
        if (c == '\n') {
            token.kind = TokenKind::Newline;
            tokens.push_back(std::move(token));
            ++pos_;
            ++line_;
            lineStart_ = pos_;
            continue;
        }
        if (c == '/' && peek(1) == '/') {
            skipLine();
            continue;
        }
        if (isIdentStart(c)) {
            size_t start = pos_;
            while (isIdentChar(peek())) ++pos_;
            token.kind = TokenKind::Identifier;
            token.text = std::string(text_.substr(start, pos_ - start));
            tokens.push_back(std::move(token));
            continue;
        }
        bool ok = true;
        if (c >= '0' && c <= '9') {
            ok = lexNumber(token);
        } else if (c == '"') {
            ok = lexString(token);
        } else {
            token.kind = TokenKind::Punct;
            for (const char* p : kTwoCharPuncts) {
                if (c == p[0] && peek(1) == p[1]) token.text = p;
            }
            if (token.text.empty() && kOneCharPuncts.find(c) != std::string_view::npos) {
                token.text = std::string(1, c);
            }
            if (token.text.empty()) {
                unsigned char u = static_cast<unsigned char>(c);
                error(token.column,
                      u >= 0x20 && u < 0x7F
                          ? "unexpected character '" + std::string(1, c) + "'"
                          : "unexpected byte 0x" + std::string(1, "0123456789ABCDEF"[u >> 4]) +
                                std::string(1, "0123456789ABCDEF"[u & 15]) + " outside a string");
                ok = false;
            } else {
                pos_ += token.text.size();
            }
        }
        if (ok) {
            tokens.push_back(std::move(token));
        } else {
            skipLine();
        }
    }
    Token end;
    end.kind = TokenKind::End;
    end.line = line_;
    end.column = column();
    // A final line without a line break still ends its statement.
    Token newline = end;
    newline.kind = TokenKind::Newline;
    tokens.push_back(newline);
    tokens.push_back(end);
    return tokens;
}

bool Lexer::lexNumber(Token& token) {
    size_t start = pos_;
    token.kind = TokenKind::Number;
    uint64_t value = 0;
    bool overflow = false;
    if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
        pos_ += 2;
        if (hexValue(peek()) < 0) {
            error(token.column, "hexadecimal number without digits");
            return false;
        }
        while (hexValue(peek()) >= 0) {
            value = value * 16 + hexValue(peek());
            overflow = overflow || value > 0xFFFFFFFFu;
            ++pos_;
        }
    } else {
        while (peek() >= '0' && peek() <= '9') {
            value = value * 10 + (peek() - '0');
            overflow = overflow || value > 0xFFFFFFFFu;
            ++pos_;
        }
    }
    if (isIdentChar(peek())) {
        error(token.column,
              "malformed number '" + std::string(text_.substr(start, pos_ - start + 1)) + "'");
        return false;
    }
    if (overflow) {
        error(token.column, "number does not fit in 32 bits");
        return false;
    }
    if (peek() == ':' && (peek(1) == 'b' || peek(1) == 'w' || peek(1) == 'd') &&
        !isIdentChar(peek(2))) {
        token.suffix = peek(1);
        pos_ += 2;
    }
    token.value = static_cast<uint32_t>(value);
    token.text = std::string(text_.substr(start, pos_ - start));
    return true;
}

bool Lexer::lexString(Token& token) {
    token.kind = TokenKind::String;
    ++pos_; // opening quote
    StringPiece current;
    current.column = column();
    auto flush = [&] {
        if (!current.text.empty()) token.pieces.push_back(current);
        current = StringPiece{};
        current.column = column();
    };
    while (true) {
        char c = peek();
        if (pos_ >= text_.size() || c == '\n') {
            error(token.column, "string is not closed on its line");
            return false;
        }
        if (c == '"') {
            flush();
            ++pos_;
            return true;
        }
        if (c == '\\') {
            int escColumn = column();
            char e = peek(1);
            if (e == '"' || e == '\\') {
                current.text += e;
                pos_ += 2;
                continue;
            }
            if (e == 'x' && peek(2) == '{') {
                size_t p = pos_ + 3;
                int value = 0;
                int digits = 0;
                while (p < text_.size() && hexValue(text_[p]) >= 0 && digits < 3) {
                    value = value * 16 + hexValue(text_[p]);
                    ++digits;
                    ++p;
                }
                if (digits >= 1 && digits <= 2 && p < text_.size() && text_[p] == '}') {
                    flush();
                    StringPiece raw;
                    raw.raw = true;
                    raw.byte = static_cast<uint8_t>(value);
                    raw.column = escColumn;
                    token.pieces.push_back(raw);
                    pos_ = p + 1;
                    current.column = column();
                    continue;
                }
                error(escColumn, "a byte escape is written \\x{HH} with one or two hex digits");
                return false;
            }
            error(escColumn, "unknown escape; use \\\", \\\\ or \\x{HH}");
            return false;
        }
        size_t n = utf8SequenceLength(text_, pos_);
        if (n == 0) {
            error(column(), "invalid UTF-8 in string");
            return false;
        }
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            error(column(), "control character in string; write it as \\x{HH}");
            return false;
        }
        current.text.append(text_.substr(pos_, n));
        pos_ += n;
    }
}

} // namespace fer::mes

#include "ExpressionParser.h"

#include "core/Opcodes.h"

#include <array>
#include <cstdio>

namespace fer::mes {

namespace {

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

} // namespace

std::string encodeLiteral(uint32_t v, char suffix, std::vector<uint8_t>& out) {
    if (suffix == 0) suffix = v <= 0x7F ? 'b' : v <= 0xFFFF ? 'w' : 'd';
    switch (suffix) {
    case 'b':
        if (!ex::isLiteralByte(v)) {
            return "no single byte pushes " + hex(v) +
                   "; :b takes 0..0x7F, 0x81..0x9F, 0xA1..0xBF, 0xC1..0xDF and 0xF7..0xFE";
        }
        out.push_back(static_cast<uint8_t>(v));
        return {};
    case 'w':
        if (v > 0xFFFF) return hex(v) + " does not fit the 16-bit literal form :w";
        out.push_back(ex::kWord);
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
        return {};
    default:
        out.push_back(ex::kDword);
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return {};
    }
}

std::vector<uint8_t> ExpressionParser::parseRuntime() {
    CompiledExpression e = parse();
    e.code.push_back(ex::kEndOfExpression);
    return std::move(e.code);
}

uint32_t ExpressionParser::parseConstant(const char* what) {
    const Token& at = tokens_.peek();
    CompiledExpression e = parse();
    if (!e.constant) throw SyntaxError(at, std::string(what) + " must be a constant");
    if (e.suffixed) {
        throw SyntaxError(at, std::string("an encoding suffix has no meaning in ") + what);
    }
    return e.value;
}

CompiledExpression ExpressionParser::parse() {
    if (++depth_ > kMaxNesting) throw SyntaxError(tokens_.peek(), "expression nested too deeply");
    CompiledExpression e = parseBinary(0);
    --depth_;
    return e;
}

// Precedence climbing: operands bind to operators of at least minLevel.
CompiledExpression ExpressionParser::parseBinary(int minLevel) {
    CompiledExpression left = parseUnary();
    while (true) {
        const Token& t = tokens_.peek();
        const BinaryOperator* found = nullptr;
        if (t.kind == TokenKind::Punct) {
            for (const BinaryOperator& op : kBinaryOperators) {
                if (op.level >= minLevel && t.text == op.spelling) found = &op;
            }
        }
        if (found == nullptr) return left;
        tokens_.next();
        CompiledExpression right = parseBinary(found->level + 1);
        bool divByZero =
            (found->code == ex::kDivide || found->code == ex::kRemainder) && right.constant &&
            right.value == 0;
        left.value = applyOperator(found->code, left.value, right.value);
        left.constant = left.constant && right.constant && !divByZero;
        left.suffixed = left.suffixed || right.suffixed;
        append(left.code, right.code);
        left.code.push_back(found->code);
    }
}

CompiledExpression ExpressionParser::parseUnary() {
    if (!tokens_.peek().isPunct("-")) return parsePrimary();
    const Token& minus = tokens_.next();
    const Token& t = tokens_.next();
    CompiledExpression e;
    uint32_t v;
    if (t.kind == TokenKind::Number) {
        v = t.value;
    } else if (t.kind == TokenKind::Identifier && constants_.count(t.text)) {
        v = constants_.at(t.text);
    } else {
        throw SyntaxError(minus, "'-' negates only a number or a named constant; write 0 - x");
    }
    e.value = 0u - v;
    e.suffixed = t.suffix != 0;
    std::string err = encodeLiteral(e.value, t.suffix, e.code);
    if (!err.empty()) throw SyntaxError(t, err);
    return e;
}

uint32_t ExpressionParser::parseBracketConstant(const char* what, uint32_t max) {
    const Token& open = tokens_.expectPunct("[");
    uint32_t v = parseConstant(what);
    tokens_.expectPunct("]");
    if (v > max) {
        throw SyntaxError(open, std::string(what) + " " + std::to_string(v) +
                                    " is out of range 0.." + std::to_string(max));
    }
    return v;
}

CompiledExpression ExpressionParser::parsePrimary() {
    const Token& t = tokens_.next();
    CompiledExpression e;
    if (t.kind == TokenKind::Number) {
        e.value = t.value;
        e.suffixed = t.suffix != 0;
        std::string err = encodeLiteral(t.value, t.suffix, e.code);
        if (!err.empty()) throw SyntaxError(t, err);
        return e;
    }
    if (t.isPunct("(")) {
        e = parse();
        tokens_.expectPunct(")");
        return e;
    }
    if (t.kind != TokenKind::Identifier) {
        throw SyntaxError(t, t.kind == TokenKind::Newline || t.kind == TokenKind::End
                                 ? "expected an expression at the end of the line"
                             : t.kind == TokenKind::String
                                 ? "a string is not a number"
                                 : "expected an expression before '" + t.text + "'");
    }
    e.constant = false;
    const std::string& name = t.text;
    if (name == "r16" || name == "r32") {
        uint32_t r = parseBracketConstant("register number", 255);
        e.code = {name == "r16" ? ex::kReg16 : ex::kReg32, static_cast<uint8_t>(r)};
        return e;
    }
    if (name == "flag") {
        bool computed = tokens_.peek().isPunct("(");
        const Token& open = tokens_.next();
        if (!computed && !open.isPunct("[")) {
            throw SyntaxError(open, "a flag is read as flag[n] or, always computed, flag(n)");
        }
        CompiledExpression index = parse();
        tokens_.expectPunct(computed ? ")" : "]");
        if (!computed && index.constant && !index.suffixed) {
            if (index.value > 0xFFFF) {
                throw SyntaxError(open, "flag number " + std::to_string(index.value) +
                                            " is above 65535; write flag(n) to compute it");
            }
            e.code = {ex::kFlagConst, static_cast<uint8_t>(index.value),
                      static_cast<uint8_t>(index.value >> 8)};
        } else {
            e.code = std::move(index.code);
            e.code.push_back(ex::kFlagComputed);
        }
        return e;
    }
    if (name == "dim8" || name == "dim16" || name == "dim32") {
        uint32_t k = parseBracketConstant("array number", 255);
        tokens_.expectPunct("[");
        CompiledExpression index = parse();
        tokens_.expectPunct("]");
        e.code = std::move(index.code);
        e.code.push_back(name == "dim8" ? ex::kDim8 : name == "dim16" ? ex::kDim16 : ex::kDim32);
        e.code.push_back(static_cast<uint8_t>(k));
        return e;
    }
    if (name == "random") {
        const Token& open = tokens_.expectPunct("(");
        uint32_t n = parseConstant("the range of random");
        tokens_.expectPunct(")");
        if (n > 0xFFFF) throw SyntaxError(open, "the range of random is at most 65535");
        e.code = {ex::kRandom, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)};
        return e;
    }
    auto it = constants_.find(name);
    if (it == constants_.end()) throw SyntaxError(t, "unknown name '" + name + "'");
    e.constant = true;
    e.value = it->second;
    encodeLiteral(e.value, 0, e.code);
    return e;
}

} // namespace fer::mes

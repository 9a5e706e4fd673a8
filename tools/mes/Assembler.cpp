#include "Assembler.h"

#include "CodeBuffer.h"
#include "ExpressionParser.h"
#include "Lexer.h"
#include "core/InstructionTable.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace fer::mes {

namespace {

constexpr std::array<std::string_view, 34> kReservedWords = {
    "end",           "return",      "text",   "stext",   "flag",  "r16",     "r32",
    "mem",           "dim8",        "dim16",  "dim32",   "if",    "goto",    "sys",
    "change_script", "call_script", "choice", "call",    "ext",   "newline", "text_control",
    "proc",          "choose",      "bytes",  "include", "const", "random",  "tag",
    "else",          "while",       "do",     "then",    "label", "unless"};

// The system command of that name: written as a statement of its own.
const TableEntry* systemCommandNamed(std::string_view name) {
    for (const TableEntry& c : operation_table::kCommands)
        if (c.kind == CommandKind::kSystem && c.name == name) return &c;
    return nullptr;
}

bool isReserved(const std::string& name) {
    if (std::find(kReservedWords.begin(), kReservedWords.end(), name) != kReservedWords.end()) {
        return true;
    }
    return systemCommandNamed(name) != nullptr;
}

// The instruction whose name is the statement's keyword.
bool names(const std::string& word, op::Opcode opcode) {
    return word == instructionEntry(opcode)->name;
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string describeCharacter(std::string_view utf8) {
    uint32_t cp = 0;
    size_t n = utf8SequenceLength(utf8, 0);
    if (n == 0) return "invalid UTF-8";
    unsigned char b0 = static_cast<unsigned char>(utf8[0]);
    cp = n == 1 ? b0 : n == 2 ? b0 & 0x1F : n == 3 ? b0 & 0x0F : b0 & 0x07;
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[k]) & 0x3F);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", cp);
    return "character '" + std::string(utf8.substr(0, n)) + "' (" + code + ")";
}

// One assembly: the output, the names, the diagnostics and the include chain.
class Session {
  public:
    Session(Charset& charset, const SourceLoader& loader) : charset_(charset), loader_(loader) {}

    void assembleFile(const std::string& path, const SourceLocation* includedFrom);
    void assembleText(const std::string& name, std::string_view text);
    AssemblyResult finish();

  private:
    struct Block {
        size_t targetAt;
        SourceLocation where;
    };

    void statement(TokenStream& ts, std::vector<Block>& blocks);
    // The debug information of the statement that begins at ts: where its
    // code begins and the constants it uses as register and flag numbers.
    void noteStatement(size_t codeBefore, const Token& first);
    void noteNames(TokenStream& ts);
    uint32_t sourceNumber();
    void textStatement(TokenStream& ts, uint8_t opcode);
    void implicitText(TokenStream& ts);
    std::vector<uint8_t> stringBytes(const Token& t);
    void checkDoubleByteText(const Token& t, const std::vector<uint8_t>& bytes);
    // Refuses a character of the text that the code page writes as one byte.
    void checkNoSingleByteCharacters(const Token& t);
    void checkNoZero(const Token& t, const std::vector<uint8_t>& bytes, const char* what);
    void arguments(TokenStream& ts);
    void valueList(TokenStream& ts);
    void target(TokenStream& ts);
    void bodyTarget(TokenStream& ts, std::vector<Block>& blocks);
    uint32_t constant(TokenStream& ts, const char* what, uint32_t max);
    uint32_t bracketConstant(TokenStream& ts, const char* what, uint32_t max);
    SourceLocation at(const Token& t) const { return {file_, t.line, t.column}; }
    void error(const Token& t, std::string message) {
        diagnostics_.push_back({at(t), std::move(message)});
    }

    Charset& charset_;
    const SourceLoader& loader_;
    CodeBuffer code_;
    ConstantTable constants_;
    std::vector<Diagnostic> diagnostics_;
    std::vector<std::string> files_;
    std::vector<std::string> includeStack_;
    std::string file_;
    ScriptDebugInfo debug_;
};

void Session::assembleFile(const std::string& path, const SourceLocation* includedFrom) {
    std::optional<std::string> text = loader_(path);
    if (!text) {
        SourceLocation where = includedFrom ? *includedFrom : SourceLocation{path, 1, 1};
        diagnostics_.push_back({where, "cannot read '" + path + "'"});
        return;
    }
    assembleText(path, *text);
}

void Session::assembleText(const std::string& name, std::string_view text) {
    std::string outerFile = std::exchange(file_, name);
    files_.push_back(name);
    sourceNumber();
    includeStack_.push_back(name);
    // Lexical errors join the others in line order.
    std::vector<Diagnostic> lexical;
    Lexer lexer(name, text, lexical);
    TokenStream ts(lexer.tokenize());
    size_t nextLexical = 0;
    auto reportLexicalUpTo = [&](int line) {
        while (nextLexical < lexical.size() && lexical[nextLexical].where.line <= line) {
            diagnostics_.push_back(std::move(lexical[nextLexical++]));
        }
    };
    std::vector<Block> blocks;
    while (ts.peek().kind != TokenKind::End) {
        reportLexicalUpTo(ts.peek().line);
        if (ts.peek().kind == TokenKind::Newline) {
            ts.nextLine();
            continue;
        }
        try {
            const Token first = ts.peek();
            const size_t codeBefore = code_.size();
            const bool include = first.isWord("include");
            noteNames(ts);
            statement(ts, blocks);
            if (!include) noteStatement(codeBefore, first);
            if (!ts.atLineEnd()) {
                throw SyntaxError(ts.peek(),
                                  "unexpected '" +
                                      (ts.peek().kind == TokenKind::String ? std::string("string")
                                                                           : ts.peek().text) +
                                      "' after the statement");
            }
        } catch (const SyntaxError& e) {
            diagnostics_.push_back({{file_, e.line, e.column}, e.message});
            ts.skipLine();
        }
    }
    reportLexicalUpTo(ts.peek().line);
    for (const Block& b : blocks) diagnostics_.push_back({b.where, "'{' is never closed"});
    includeStack_.pop_back();
    file_ = std::move(outerFile);
}

uint32_t Session::sourceNumber() {
    if (auto i = debug_.sourceIndex(file_)) return *i;
    debug_.sources.push_back(file_);
    return static_cast<uint32_t>(debug_.sources.size() - 1);
}

void Session::noteStatement(size_t codeBefore, const Token& first) {
    if (code_.size() == codeBefore) return;
    debug_.lines.push_back({static_cast<uint32_t>(codeBefore), sourceNumber(),
                            static_cast<uint32_t>(first.line),
                            static_cast<uint32_t>(first.column)});
}

void Session::noteNames(TokenStream& ts) {
    // r16[NAME], r32[NAME] and flag[NAME] with NAME a constant name the register or flag.
    for (size_t i = 0; ts.peek(i).kind != TokenKind::Newline && ts.peek(i).kind != TokenKind::End;
         ++i) {
        const Token& w = ts.peek(i);
        if (w.kind != TokenKind::Identifier || !ts.peek(i + 1).isPunct("[") ||
            ts.peek(i + 2).kind != TokenKind::Identifier || !ts.peek(i + 3).isPunct("]"))
            continue;
        auto kind = debug_.kindNamed(w.text);
        auto value = constants_.find(ts.peek(i + 2).text);
        if (!kind || value == constants_.end()) continue;
        if (debug_.nameOf(*kind, value->second)) continue;
        debug_.names.push_back({*kind, value->second, ts.peek(i + 2).text});
    }
}

AssemblyResult Session::finish() {
    code_.resolve(diagnostics_);
    AssemblyResult result;
    result.diagnostics = std::move(diagnostics_);
    result.files = std::move(files_);
    if (result.diagnostics.empty()) {
        for (auto& [name, offset] : code_.labels()) debug_.labels.push_back({offset, name});
        std::sort(debug_.labels.begin(), debug_.labels.end(),
                  [](const auto& a, const auto& b) { return a.offset < b.offset; });
        result.debug = std::move(debug_);
        result.code = code_.take();
    }
    return result;
}

uint32_t Session::constant(TokenStream& ts, const char* what, uint32_t max) {
    const Token& first = ts.peek();
    uint32_t v = ExpressionParser(ts, constants_).parseConstant(what);
    if (v > max) {
        throw SyntaxError(first, std::string(what) + " " + std::to_string(v) +
                                     " is out of range 0.." + std::to_string(max));
    }
    return v;
}

uint32_t Session::bracketConstant(TokenStream& ts, const char* what, uint32_t max) {
    ts.expectPunct("[");
    uint32_t v = constant(ts, what, max);
    ts.expectPunct("]");
    return v;
}

void Session::statement(TokenStream& ts, std::vector<Block>& blocks) {
    const Token& first = ts.peek();
    if (first.kind == TokenKind::Identifier && ts.peek(1).isPunct(":")) {
        if (isReserved(first.text)) throw SyntaxError(first, "'" + first.text + "' is a keyword");
        if (constants_.count(first.text)) {
            throw SyntaxError(first, "'" + first.text + "' is already a constant");
        }
        if (const SourceLocation* before = code_.defineLabel(first.text, at(first))) {
            throw SyntaxError(first, "label '" + first.text + "' is already defined at " +
                                         before->file + ":" + std::to_string(before->line));
        }
        ts.next();
        ts.next();
        if (ts.atLineEnd()) return;
        statement(ts, blocks);
        return;
    }
    if (first.kind == TokenKind::String) {
        implicitText(ts);
        return;
    }
    if (first.isPunct("}")) {
        ts.next();
        if (blocks.empty()) throw SyntaxError(first, "'}' without an open block");
        code_.emit(op::kEnd);
        code_.patch32(blocks.back().targetAt, static_cast<uint32_t>(code_.size()));
        blocks.pop_back();
        return;
    }
    if (first.kind != TokenKind::Identifier) {
        throw SyntaxError(first, first.kind == TokenKind::Number
                                     ? "a statement cannot begin with a number"
                                     : "a statement cannot begin with '" + first.text + "'");
    }
    const Token& keyword = ts.next();
    const std::string& w = keyword.text;
    ExpressionParser expr(ts, constants_);
    if (names(w, op::kEnd) || w == "return") {
        code_.emit(op::kEnd);
    } else if (names(w, op::kText)) {
        textStatement(ts, op::kText);
    } else if (names(w, op::kSingleText)) {
        textStatement(ts, op::kSingleText);
    } else if (names(w, op::kSetFlags)) {
        uint32_t n = bracketConstant(ts, "first flag number", 0xFFFF);
        ts.expectPunct("=");
        code_.emit(op::kSetFlags);
        code_.emit16(n);
        valueList(ts);
    } else if (names(w, op::kSetReg16) || names(w, op::kSetReg32)) {
        uint32_t r = bracketConstant(ts, "first register number", 255);
        ts.expectPunct("=");
        code_.emit(names(w, op::kSetReg16) ? op::kSetReg16 : op::kSetReg32);
        code_.emit(static_cast<uint8_t>(r));
        valueList(ts);
    } else if (names(w, op::kSetBytes)) {
        ts.expectPunct("[");
        std::vector<uint8_t> address = expr.parseRuntime();
        ts.expectPunct("]");
        ts.expectPunct("=");
        code_.emit(op::kSetBytes);
        code_.append(address);
        valueList(ts);
    } else if (names(w, op::kSetDim8) || names(w, op::kSetDim16) || names(w, op::kSetDim32)) {
        uint32_t k = bracketConstant(ts, "array number", 255);
        ts.expectPunct("[");
        std::vector<uint8_t> index = expr.parseRuntime();
        ts.expectPunct("]");
        ts.expectPunct("=");
        code_.emit(names(w, op::kSetDim8)    ? op::kSetDim8
                   : names(w, op::kSetDim16) ? op::kSetDim16
                                             : op::kSetDim32);
        code_.append(index);
        code_.emit(static_cast<uint8_t>(k));
        valueList(ts);
    } else if (w == "if" || names(w, op::kIfGoto)) {
        // The jump instruction goes on when its condition is 1 and jumps
        // otherwise: "unless C goto L" is that instruction as it stands;
        // "if C goto L" jumps when C is 1, written as "unless C != 1 goto L".
        std::vector<uint8_t> condition = expr.parseRuntime();
        if (!ts.peek().isWord("goto")) {
            throw SyntaxError(ts.peek(), "expected 'goto' after the condition" + ts.found());
        }
        ts.next();
        if (w == "if") {
            condition.pop_back(); // the end byte
            condition.insert(condition.end(), {0x01, 0xF0, 0xFF});
        }
        code_.emit(op::kIfGoto);
        code_.append(condition);
        target(ts);
    } else if (names(w, op::kGoto)) {
        code_.emit(op::kGoto);
        target(ts);
    } else if (names(w, op::kSystem)) {
        ts.expectPunct("(");
        std::vector<uint8_t> number = expr.parseRuntime();
        ts.expectPunct(")");
        code_.emit(op::kSystem);
        code_.append(number);
        arguments(ts);
    } else if (const TableEntry* s = systemCommandNamed(w)) {
        code_.emit(op::kSystem);
        code_.emit(static_cast<uint8_t>(s->number));
        code_.emit(ex::kEndOfExpression);
        arguments(ts);
    } else if (names(w, op::kChangeScript) || names(w, op::kCallScript) ||
               names(w, op::kCallProc) || names(w, op::kExternal)) {
        code_.emit(names(w, op::kChangeScript) ? op::kChangeScript
                   : names(w, op::kCallScript) ? op::kCallScript
                   : names(w, op::kCallProc)   ? op::kCallProc
                                               : op::kExternal);
        arguments(ts);
    } else if (names(w, op::kChoiceItem)) {
        code_.emit(op::kChoiceItem);
        arguments(ts);
        bodyTarget(ts, blocks);
    } else if (names(w, op::kDefineProc)) {
        code_.emit(op::kDefineProc);
        CompiledExpression number = expr.parse();
        number.code.push_back(ex::kEndOfExpression);
        code_.append(number.code);
        bodyTarget(ts, blocks);
        if (number.constant) {
            debug_.procedures.push_back({number.value, static_cast<uint32_t>(code_.size())});
        }
    } else if (w == "newline") {
        code_.emit(op::kTextControl);
        code_.emit(0);
    } else if (names(w, op::kTextControl)) {
        code_.emit(op::kTextControl);
        code_.emit(static_cast<uint8_t>(constant(ts, "text control code", 255)));
    } else if (names(w, op::kChoiceLoop)) {
        code_.emit(op::kChoiceLoop);
    } else if (w == "bytes") {
        do {
            code_.emit(static_cast<uint8_t>(constant(ts, "byte", 255)));
        } while (ts.acceptPunct(","));
    } else if (w == "const") {
        const Token& name = ts.next();
        if (name.kind != TokenKind::Identifier) throw SyntaxError(name, "expected a constant name");
        if (isReserved(name.text)) throw SyntaxError(name, "'" + name.text + "' is a keyword");
        if (constants_.count(name.text) || code_.hasLabel(name.text)) {
            throw SyntaxError(name, "'" + name.text + "' is already defined");
        }
        ts.expectPunct("=");
        constants_[name.text] = constant(ts, "a constant's value", 0xFFFFFFFF);
    } else if (w == "include") {
        const Token& path = ts.next();
        if (path.kind != TokenKind::String) throw SyntaxError(path, "include takes a file name");
        std::string name;
        for (const StringPiece& p : path.pieces) {
            name += p.raw ? std::string(1, static_cast<char>(p.byte)) : p.text;
        }
        if (!ts.atLineEnd()) throw SyntaxError(ts.peek(), "unexpected text after the file name");
        if (name.empty() || name[0] != '/') name = directoryOf(file_) + name;
        if (std::find(includeStack_.begin(), includeStack_.end(), name) != includeStack_.end()) {
            throw SyntaxError(path, "'" + name + "' includes itself");
        }
        if (static_cast<int>(includeStack_.size()) > Assembler::kMaxIncludeDepth) {
            throw SyntaxError(path, "includes are nested too deeply");
        }
        SourceLocation where = at(path);
        assembleFile(name, &where);
    } else {
        throw SyntaxError(keyword, "unknown statement '" + w + "'");
    }
}

void Session::bodyTarget(TokenStream& ts, std::vector<Block>& blocks) {
    if (ts.peek().isPunct("{")) {
        const Token& open = ts.next();
        blocks.push_back({code_.size(), at(open)});
        code_.emit32(0);
        return;
    }
    if (!ts.acceptPunct("->")) {
        throw SyntaxError(ts.peek(), "expected '{' to open the body or '-> label'" + ts.found());
    }
    target(ts);
}

void Session::target(TokenStream& ts) {
    const Token& t = ts.peek();
    if (t.kind == TokenKind::Identifier && !constants_.count(t.text) && !isReserved(t.text)) {
        ts.next();
        code_.emitLabelTarget(t.text, at(t));
        return;
    }
    code_.emit32(constant(ts, "jump target", 0xFFFFFFFF));
}

void Session::valueList(TokenStream& ts) {
    ExpressionParser expr(ts, constants_);
    code_.append(expr.parseRuntime());
    while (ts.acceptPunct(",")) {
        uint32_t continuation = 1;
        if (ts.peek().isPunct("{")) {
            ts.next();
            continuation = constant(ts, "continuation byte", 255);
            if (continuation == 0)
                throw SyntaxError(ts.peek(), "a continuation byte of 0 ends the list");
            ts.expectPunct("}");
        }
        code_.emit(static_cast<uint8_t>(continuation));
        code_.append(expr.parseRuntime());
    }
    code_.emit(0);
}

void Session::arguments(TokenStream& ts) {
    if (!ts.atLineEnd() && !ts.peek().isPunct("->") && !ts.peek().isPunct("{")) {
        do {
            const Token& t = ts.peek();
            if (t.kind == TokenKind::String) {
                ts.next();
                std::vector<uint8_t> bytes = stringBytes(t);
                checkNoZero(t, bytes, "a text argument");
                code_.emit(tag::kText);
                code_.append(bytes);
                code_.emit(0);
            } else if (t.isWord("tag") && ts.peek(1).isPunct("(")) {
                ts.next();
                ts.next();
                uint32_t v = constant(ts, "argument tag", 255);
                ts.expectPunct(")");
                if (v < 3) {
                    throw SyntaxError(t, "tag(n) writes an empty entry with a tag of 3..255; 0, 1 "
                                         "and 2 are the end, text and number tags");
                }
                code_.emit(static_cast<uint8_t>(v));
            } else {
                code_.emit(tag::kNumber);
                code_.append(ExpressionParser(ts, constants_).parseRuntime());
            }
        } while (ts.acceptPunct(","));
    }
    code_.emit(tag::kEndOfList);
}

std::vector<uint8_t> Session::stringBytes(const Token& t) {
    std::vector<uint8_t> bytes;
    for (const StringPiece& p : t.pieces) {
        if (p.raw) {
            bytes.push_back(p.byte);
            continue;
        }
        size_t bad = charset_.encode(p.text, bytes);
        if (bad != std::string::npos) {
            throw SyntaxError(t.line, p.column + static_cast<int>(bad),
                              describeCharacter(std::string_view(p.text).substr(bad)) +
                                  " cannot be written in " + std::string(charset_.name()) +
                                  "; write its bytes as \\x{HH}");
        }
    }
    return bytes;
}

void Session::checkDoubleByteText(const Token& t, const std::vector<uint8_t>& bytes) {
    if (bytes.size() % 2 != 0) {
        throw SyntaxError(t, "double-byte text has an odd number of bytes (" +
                                 std::to_string(bytes.size()) +
                                 "); use full-width characters, or stext for single-byte text");
    }
    for (size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i] == 0) {
            throw SyntaxError(t, "a zero byte at an even position would end the text early");
        }
    }
}

void Session::checkNoZero(const Token& t, const std::vector<uint8_t>& bytes, const char* what) {
    if (std::find(bytes.begin(), bytes.end(), 0) != bytes.end()) {
        throw SyntaxError(t, std::string(what) + " cannot contain a zero byte");
    }
}

void Session::checkNoSingleByteCharacters(const Token& t) {
    for (const StringPiece& p : t.pieces) {
        if (p.raw) continue;
        const std::string_view text = p.text;
        for (size_t at = 0; at < text.size();) {
            const auto lead = static_cast<unsigned char>(text[at]);
            const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            const std::string_view character = text.substr(at, length);
            std::vector<uint8_t> encoded;
            if (charset_.encode(character, encoded) == std::string::npos && encoded.size() == 1) {
                // The text is drawn two bytes at a time: a single-byte
                // character would be drawn with its neighbour as one.
                throw SyntaxError(t.line, p.column + static_cast<int>(at),
                                  describeCharacter(character) + " is a single-byte character in " +
                                      std::string(charset_.name()) +
                                      ", which 'text' cannot draw; use the full-width form, or "
                                      "'stext' for single-byte text");
            }
            at += length;
        }
    }
}

void Session::textStatement(TokenStream& ts, uint8_t opcode) {
    const Token& t = ts.next();
    if (t.kind != TokenKind::String) throw SyntaxError(t, "expected a string" + ts.found());
    std::vector<uint8_t> bytes = stringBytes(t);
    if (opcode == op::kText) {
        checkDoubleByteText(t, bytes);
        checkNoSingleByteCharacters(t);
    } else {
        checkNoZero(t, bytes, "single-byte text");
    }
    code_.emit(opcode);
    code_.append(bytes);
    code_.emit(0);
}

void Session::implicitText(TokenStream& ts) {
    const Token& t = ts.next();
    std::vector<uint8_t> bytes = stringBytes(t);
    if (bytes.empty() || !charset_.isLeadByte(bytes[0])) {
        throw SyntaxError(t, "text without 'text' must begin with a double-byte character of " +
                                 std::string(charset_.name()) + "; write 'text \"...\"'");
    }
    checkDoubleByteText(t, bytes);
    checkNoSingleByteCharacters(t);
    code_.append(bytes);
    code_.emit(0);
}

} // namespace

AssemblyResult Assembler::assembleFile(const std::string& path) {
    Session session(charset_, loader_);
    session.assembleFile(path, nullptr);
    return session.finish();
}

AssemblyResult Assembler::assembleText(const std::string& name, std::string_view text) {
    Session session(charset_, loader_);
    session.assembleText(name, text);
    return session.finish();
}

} // namespace fer::mes

#include "debug/ScriptExpression.h"

#include <algorithm>
#include <cstring>

#include "ExpressionParser.h"
#include "Lexer.h"
#include "SyntaxError.h"
#include "script/Evaluator.h"

namespace fer {

namespace {

// The host of an evaluation on the copy: nothing to show, no files, no
// time; a failure is kept as the answer.
class ScratchHost final : public ScriptHost {
  public:
    std::string failure;

    void fatalError(std::string_view title, std::string_view text) override {
        failure = std::string(title) + ": " + std::string(text);
    }
    int pump() override { return 1; }
    int windowState() const override { return window_state::kActive; }
    void setWindowState(int) override {}
    bool keyDown(int) override { return false; }
    void clearKeys() override {}
    void waitWhileHeld(uint32_t, int) override {}
    bool shiftHeld() override { return false; }
    uint32_t tickCount() const override { return 0; }
    void resetTicks() override {}
    uint32_t ticks() const override { return 0; }
    LocalTime localTime() const override { return {}; }
    int loadScript(std::string_view) override { return 0; }
    void setCurrentFileName(int, std::string_view) override {}
    int readWholeFile(std::string_view, std::span<uint8_t>) override { return 0; }
    int writeSaveFile(std::string_view, std::span<const uint8_t>) override { return 0; }
    uint16_t moveSpeed() const override { return 0; }
    void logLine(std::string_view) override {}
    void present(int, int, int, int) override {}
    void drawChar(unsigned, uint16_t, int, int, unsigned) override {}
};

} // namespace

std::optional<std::vector<uint8_t>> ScriptExpression::compile(std::string_view text,
                                                              const ScriptConstants& names,
                                                              std::string& error) {
    std::vector<mes::Diagnostic> diagnostics;
    mes::Lexer lexer("<expression>", text, diagnostics);
    mes::TokenStream tokens(lexer.tokenize());
    if (!diagnostics.empty()) {
        error = diagnostics.front().message;
        return std::nullopt;
    }
    const mes::ConstantTable constants(names.begin(), names.end());
    try {
        std::vector<uint8_t> code = mes::ExpressionParser(tokens, constants).parseRuntime();
        if (!tokens.atLineEnd()) {
            error = "unexpected '" + tokens.peek().text + "' after the expression";
            return std::nullopt;
        }
        return code;
    } catch (const mes::SyntaxError& e) {
        error = e.message;
        return std::nullopt;
    }
}

std::optional<uint32_t> ScriptExpression::evaluate(const ScriptMachine& live,
                                                   const std::vector<uint8_t>& code,
                                                   std::string& error) {
    if (code.empty() || code.size() > ScriptMemory::kCodeSize) {
        error = "no expression";
        return std::nullopt;
    }
    std::memcpy(scratch_.memory.bytes().data(), live.memory.bytes().data(), ScriptMemory::kSize);
    const uint32_t at = ScriptMemory::kSize - static_cast<uint32_t>(code.size());
    std::copy(code.begin(), code.end(), scratch_.memory.bytes().begin() + at);
    // The message log is no matter of an expression typed while debugging.
    scratch_.memory.clearControlBits(control::kRecording | control::kLoggingEnabled);
    scratch_.setPc(at);
    ScratchHost host;
    Evaluator evaluator(scratch_, host);
    const uint32_t value = evaluator.evaluate();
    if (evaluator.halted()) {
        error = host.failure;
        return std::nullopt;
    }
    return value;
}

} // namespace fer

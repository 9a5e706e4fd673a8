#pragma once
// The expression evaluator: postfix byte code ending in 0xFF, a fixed stack
// of 1024 values, the byte reader with its recording rule and the
// argument-list reader. Evaluation allocates nothing.

#include <array>
#include <cstdint>
#include <string_view>

#include "script/ScriptHost.h"
#include "script/ScriptMachine.h"

namespace fer {

class Evaluator {
  public:
    static constexpr uint32_t kStackSize = 1024;

    Evaluator(ScriptMachine& machine, ScriptHost& host);

    // Runs the expression at pc up to its end byte and returns its value.
    uint32_t evaluate();
    // The byte reader: the byte at pc, copied into the message log while a
    // message is being recorded.
    uint8_t fetch();
    // Looks at the byte at pc without consuming it.
    uint8_t peek() const { return machine_.memory.byte(machine_.pc()); }
    // Reads little-endian operands through fetch.
    uint16_t fetch16();
    uint32_t fetch32();
    // The argument-list reader: fills the machine's ArgumentList.
    void readArguments();

    // Reports a fatal error and halts the machine: every loop over script
    // bytes stops, and the interpreter ends at its next pass.
    void fail(std::string_view title, std::string_view text);
    bool halted() const { return halted_; }
    void clearHalt() { halted_ = false; }

    uint32_t randomState() const { return randomState_; }
    void setRandomState(uint32_t s) { randomState_ = s; }
    uint32_t stackDepth() const { return depth_; }

    // The message-log overflow: shown with the bytes of the record being filled.
    void reportLogOverflow(uint32_t recordStart);

  private:
    template <bool Recording> uint32_t run();
    void push(uint32_t v);
    uint32_t pop();
    void recordByte(uint8_t b);
    void reportPcOutside();
    uint32_t draw(uint16_t range);

    ScriptMachine& machine_;
    ScriptHost& host_;
    std::array<uint32_t, kStackSize> stack_{};
    uint32_t depth_ = 0;
    uint32_t randomState_ = 0;
    bool halted_ = false;
};

} // namespace fer

#pragma once
// The expression evaluator: postfix byte code ending in 0xFF, a fixed stack
// of 1024 values, the byte reader with its recording rule and the
// argument-list reader. Evaluation allocates nothing.

#include <array>
#include <cstring>
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
    // Nothing an expression does changes the recording bits, so the choice
    // of reader is made once per expression.
    uint32_t evaluate() { return recording() ? runRecorded() : evaluateUnrecorded(); }
    // The same for a caller that has found nothing recorded.
    uint32_t evaluateUnrecorded() {
        const uint64_t r = runPlain();
        if (r < kHandOver) [[likely]]
            return static_cast<uint32_t>(r);
        return runCareful();
    }
    // Whether every byte read is copied into the message log.
    bool recording() const {
        return machine_.memory.controlBits(control::kRecording | control::kLoggingEnabled);
    }
    // The byte reader: the byte at pc, copied into the message log while a
    // message is being recorded.
    uint8_t fetch() {
        uint32_t& pc = machine_.pcRef();
        if (pc < ScriptMemory::kSize && !recording()) [[likely]]
            return machine_.memory.data()[pc++];
        return fetchChecked();
    }
    // Looks at the byte at pc without consuming it.
    uint8_t peek() const { return machine_.memory.byte(machine_.pc()); }
    // Reads little-endian operands through fetch: when all of the operand is
    // inside the memory and nothing is recorded, with one look at the bound.
    uint16_t fetch16() {
        uint32_t& pc = machine_.pcRef();
        if (pc <= ScriptMemory::kSize - 2 && !recording()) [[likely]] {
            const uint8_t* at = machine_.memory.data() + pc;
            pc += 2;
            return static_cast<uint16_t>(at[0] | at[1] << 8);
        }
        const uint16_t lo = fetchChecked();
        return static_cast<uint16_t>(lo | (fetchChecked() << 8));
    }
    uint32_t fetch32() {
        uint32_t& pc = machine_.pcRef();
        if (pc <= ScriptMemory::kSize - 4 && !recording()) [[likely]] {
            uint32_t v;
            std::memcpy(&v, machine_.memory.data() + pc, 4);
            pc += 4;
            return v;
        }
        const uint32_t lo = fetch16();
        return lo | (uint32_t{fetch16()} << 16);
    }
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
    // The byte reader for a pc outside the memory or a byte to record.
    [[gnu::noinline]] uint8_t fetchChecked();
    // The careful reader: every check at every token. With OneToken it
    // stops after one token; `ended` tells whether the expression ended.
    template <bool Recording, bool OneToken> uint32_t run(bool& ended);
    [[gnu::noinline]] uint32_t runRecorded();
    // Without recording, the common tokens run in a loop that keeps its
    // state in registers and calls nothing. A token that could fail, draw
    // or read an array is handed over, from its first byte, to the careful
    // reader, which takes it and any such tokens after it one at a time.
    static constexpr uint64_t kHandOver = uint64_t{1} << 32;
    // The expression's value, or kHandOver with the state stored at the
    // token to hand over.
    [[gnu::noinline]] uint64_t runPlain();
    [[gnu::noinline]] uint32_t runCareful();
    [[gnu::cold]] void reportStackOverflow();
    [[gnu::cold]] void reportStackEmpty();
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

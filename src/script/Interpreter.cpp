#include "script/Interpreter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Opcodes.h"
#include "core/TextCursor.h"
#include "script/ScriptMessages.h"

namespace fer {

namespace op = mes::op;

namespace {
// Handler procedures of the choice loop.
constexpr uint32_t kOnDecide = 32;
constexpr uint32_t kOnCancel = 33;
constexpr uint32_t kOnUp = 34;
constexpr uint32_t kOnDown = 35;
constexpr uint32_t kOnLeft = 36;
constexpr uint32_t kOnRight = 37;
constexpr uint32_t kOnStart = 38;
constexpr uint32_t kOnPass = 39;
constexpr uint32_t kHeldWaitTicks = 10;
} // namespace

Interpreter::Interpreter(ScriptMachine& machine, Evaluator& evaluator, ScriptHost& host,
                         const BuildVariant& variant, CommandTable& commands, SoundControl& sound)
    : machine_(machine), evaluator_(evaluator), host_(host), variant_(variant), table_(commands),
      sound_(sound), log_(machine, evaluator), systemCommands_(*this), switcher_(*this),
      saveGame_(*this), externals_(*this) {
    systemCommands_.registerWith(commands);
    externals_.registerWith(commands);
}

// Inlined into the loop: the pass and the instruction share its registers.
[[gnu::always_inline]] inline Interpreter::Step Interpreter::execute() {
    const uint32_t pc = machine_.pc();
    if (pc >= ScriptMemory::kSize) {
        evaluator_.fetch(); // reports the position outside the memory
        return Step::kNext;
    }
    const uint8_t op = machine_.memory.data()[pc];
    ++machine_.instructionCount;
    machine_.instructionStart = pc;
    if (op > op::kLastOpcode) [[unlikely]] {
        if (op >= 0x81 && op <= 0xFE && variant_.isLeadByte(op)) {
            textInstruction(op);
        } else {
            char text[96];
            std::snprintf(text, sizeof text, script_text::kBadOpcodeFormat, op, pc);
            evaluator_.fail(script_text::kScriptErrorTitle, text);
        }
        return Step::kNext;
    }
    // Every instruction of the table has its case here.
    switch (static_cast<op::Opcode>(op)) {
    case op::kEnd:
        evaluator_.fetch();
        --machine_.depth;
        return Step::kEnd;
    case op::kText:
    case op::kSingleText: textInstruction(op); break;
    // Assignments, jumps and definitions touch only the script's memory:
    // the pass after them may go without the pump.
    case op::kSetFlags: assignFlags(); return Step::kQuiet;
    case op::kSetReg16:
        if (evaluator_.recording()) assignRegisters16();
        else assignRegistersUnrecorded<false>();
        return Step::kQuiet;
    case op::kSetBytes: assignBytes(); return Step::kQuiet;
    case op::kSetDim8:
    case op::kSetDim16:
    case op::kSetDim32: assignArray(op); return Step::kQuiet;
    case op::kIfGoto:
        if (evaluator_.recording()) {
            evaluator_.fetch();
            const uint32_t c = evaluator_.evaluate();
            const uint32_t t = evaluator_.fetch32();
            if (c != 1) machine_.setPc(machine_.codeBase() + t);
        } else {
            conditionalJumpUnrecorded();
        }
        return Step::kQuiet;
    case op::kGoto:
        if (evaluator_.recording()) {
            evaluator_.fetch();
            const uint32_t t = evaluator_.fetch32();
            machine_.setPc(machine_.codeBase() + t);
        } else {
            jumpUnrecorded();
        }
        return Step::kQuiet;
    case op::kSystem: systemCommands_.execute(); break;
    case op::kChangeScript: switcher_.change(); break;
    case op::kCallScript: switcher_.call(); break;
    case op::kChoiceItem: defineChoice(); return Step::kQuiet;
    case op::kCallProc: procedureCall(); break;
    case op::kExternal: externalCommand(); break;
    case op::kTextControl: textControl(); break;
    case op::kDefineProc: defineProcedure(); return Step::kQuiet;
    case op::kChoiceLoop:
        evaluator_.fetch();
        choiceLoop();
        break;
    case op::kSetReg32:
        if (evaluator_.recording()) assignRegisters32();
        else assignRegistersUnrecorded<true>();
        return Step::kQuiet;
    }
    return Step::kNext;
}

uint32_t Interpreter::run() {
    if (machine_.depth >= kMaxDepth) {
        evaluator_.fail(script_text::kScriptErrorTitle, script_text::kTooDeepText);
        return 0;
    }
    ++machine_.depth;
    ScriptMemory& mem = machine_.memory;
    // Passes that may go by without the pump: the host allows a few after a
    // pump that found nothing waiting, and only instructions that did no
    // more than assign, jump or define use them up. Every other instruction
    // (a command, text, a call, a choice) is followed by a full pass.
    uint32_t quiet = 0;
    for (;;) {
        bool lastPass = false;
        if (quiet == 0) [[unlikely]] {
            lastPass = pass();
            quiet = lastPass ? 0 : host_.quietPasses();
        } else {
            --quiet;
        }
        if (mem.controlWord() & control::kChangePending) [[unlikely]] {
            if (machine_.depth != 1) {
                --machine_.depth;
                return 0;
            }
            mem.clearControlBits(control::kChangePending);
            machine_.setCodeBase(ScriptMemory::kCodeBase);
            machine_.setPc(ScriptMemory::kCodeBase);
        }
        // After a fatal error nothing more runs: the engine is ending.
        if (evaluator_.halted()) [[unlikely]]
            return 0;
        if (machine_.depth == 1) outermostPc_ = machine_.pc();
        if (debugHook_) [[unlikely]] {
            debugHook_->beforeInstruction();
            if (evaluator_.halted()) return 0;
        }
        const Step step = execute();
        if (step == Step::kEnd || lastPass) return 0;
        if (step != Step::kQuiet) quiet = 0;
    }
}

bool Interpreter::pass() {
    if (sound_.mayHaveFailures()) sound_.reportFailures();
    int state = host_.pumpAndState();
    if (state == window_state::kActive) [[likely]] {
    } else if (state == window_state::kInactive || state == window_state::kMinimised) {
        // Nothing runs while the window is inactive or minimised.
        while (((state = host_.windowState()) == window_state::kInactive ||
                state == window_state::kMinimised) &&
               host_.pump() == 1) {
        }
        host_.clearKeys();
        host_.present(0, 0, 640, 400);
        state = host_.windowState();
    } else if (state == window_state::kRestart) {
        host_.setWindowState(window_state::kActive);
        state = host_.windowState();
    }
    return state == window_state::kClosed;
}

bool Interpreter::moreValues() {
    return evaluator_.fetch() != 0 && !evaluator_.halted();
}

void Interpreter::assignFlags() {
    evaluator_.fetch();
    uint16_t n = evaluator_.fetch16();
    do {
        const uint32_t v = evaluator_.evaluate() & 0xFF;
        machine_.memory.setFlag(n, static_cast<uint8_t>(std::min<uint32_t>(v, 15)));
        ++n; // wraps at 65536
    } while (moreValues());
}

void Interpreter::assignRegisters16() {
    evaluator_.fetch();
    assignRegisters16Rest(evaluator_.fetch());
}

void Interpreter::assignRegisters16Rest(uint8_t r) {
    do {
        machine_.memory.setReg16(r, static_cast<uint16_t>(evaluator_.evaluate()));
        ++r; // wraps at 256
    } while (moreValues());
}

void Interpreter::assignRegisters32() {
    evaluator_.fetch();
    assignRegisters32Rest(evaluator_.fetch());
}

void Interpreter::assignRegisters32Rest(uint8_t r) {
    do {
        machine_.memory.setReg32(r, evaluator_.evaluate());
        ++r;
    } while (moreValues());
}

// The opcode byte is inside the memory when these begin.
inline uint32_t Interpreter::fetch32Unrecorded() {
    uint32_t& pc = machine_.pcRef();
    if (pc <= ScriptMemory::kSize - 4) [[likely]] {
        uint32_t v;
        std::memcpy(&v, machine_.memory.data() + pc, 4);
        pc += 4;
        return v;
    }
    return evaluator_.fetch32();
}

inline void Interpreter::conditionalJumpUnrecorded() {
    ++machine_.pcRef();
    const uint32_t c = evaluator_.evaluateUnrecorded();
    const uint32_t t = fetch32Unrecorded();
    if (c != 1) machine_.setPc(machine_.codeBase() + t);
}

inline void Interpreter::jumpUnrecorded() {
    ++machine_.pcRef();
    const uint32_t t = fetch32Unrecorded();
    machine_.setPc(machine_.codeBase() + t);
}

template <bool Wide> inline void Interpreter::assignRegistersUnrecorded() {
    ScriptMemory& mem = machine_.memory;
    const uint8_t* const bytes = mem.data();
    uint32_t pc = machine_.pc() + 1;
    if (pc >= ScriptMemory::kSize) [[unlikely]] {
        machine_.setPc(pc);
        if constexpr (Wide) assignRegisters32Rest(evaluator_.fetch());
        else assignRegisters16Rest(evaluator_.fetch());
        return;
    }
    uint8_t r = bytes[pc];
    machine_.setPc(pc + 1);
    for (;;) {
        const uint32_t v = evaluator_.evaluateUnrecorded();
        if constexpr (Wide) {
            mem.setReg32(r, v); // 32-bit registers lie past the control word
        } else {
            mem.setReg16(r, static_cast<uint16_t>(v));
            // Writing the control word may start or stop the recording:
            // the byte reader takes over.
            if (r == reg16::kControlWord) [[unlikely]] {
                if (moreValues()) assignRegisters16Rest(static_cast<uint8_t>(r + 1));
                return;
            }
        }
        ++r; // wraps at 256
        pc = machine_.pc();
        if (pc >= ScriptMemory::kSize || evaluator_.halted()) [[unlikely]] {
            if (!moreValues()) return;
            if constexpr (Wide) assignRegisters32Rest(r);
            else assignRegisters16Rest(r);
            return;
        }
        machine_.setPc(pc + 1);
        if (bytes[pc] == 0) return;
    }
}

void Interpreter::assignBytes() {
    evaluator_.fetch();
    uint16_t a = static_cast<uint16_t>(evaluator_.evaluate());
    do {
        machine_.memory.setByte(a, static_cast<uint8_t>(evaluator_.evaluate()));
        ++a; // offsets are taken modulo 65536
    } while (moreValues());
}

void Interpreter::assignArray(uint8_t opcode) {
    evaluator_.fetch();
    uint32_t i = evaluator_.evaluate();
    const uint8_t k = evaluator_.fetch();
    do {
        const uint32_t v = evaluator_.evaluate();
        switch (opcode) {
        case op::kSetDim8: machine_.setByteElement(k, i, static_cast<uint8_t>(v)); break;
        case op::kSetDim16: machine_.setWordElement(k, i, static_cast<uint16_t>(v)); break;
        default: machine_.setDwordElement(k, i, v); break;
        }
        ++i;
    } while (moreValues());
}

void Interpreter::beginRecordingIfOpen() {
    if (machine_.memory.controlWord() & control::kMessageOpen)
        machine_.memory.setControlBits(control::kRecording);
}

void Interpreter::endRecording() {
    if (machine_.memory.controlWord() & control::kRecording)
        machine_.memory.clearControlBits(control::kRecording);
}

void Interpreter::textInstruction(uint8_t opcode) {
    ScriptMemory& mem = machine_.memory;
    const bool explicitOpcode = opcode == op::kText || opcode == op::kSingleText;
    textAddress_ = machine_.pc();
    if (opcode == op::kText && !(mem.controlWord() & (control::kMessageOpen | control::kRecording)))
        log_.begin();
    if (explicitOpcode) {
        beginRecordingIfOpen();
        evaluator_.fetch();
    }
    const bool doubleByte = opcode != op::kSingleText;
    const unsigned plane = mem.reg16(reg16::kPlane);
    const unsigned style = mem.reg16(reg16::kTextStyle);
    for (;;) {
        uint16_t code;
        if (doubleByte) {
            const uint8_t lead = evaluator_.fetch();
            if (lead == 0) break;
            code = static_cast<uint16_t>(lead << 8 | evaluator_.fetch());
        } else {
            code = evaluator_.fetch();
            if (code == 0) break;
        }
        if (evaluator_.halted()) break;
        host_.drawChar(plane, code, mem.reg16(reg16::kCursorX), mem.reg16(reg16::kCursorY), style);
        const uint32_t advance = mem.reg16(reg16::kAdvance);
        advanceTextCursor(mem, doubleByte ? advance : advance / 2);
    }
    presentTextArea(mem, host_);
    if (explicitOpcode) endRecording();
}

void Interpreter::textControl() {
    beginRecordingIfOpen();
    evaluator_.fetch();
    const uint8_t c = evaluator_.fetch();
    if (c == 0) {
        ScriptMemory& mem = machine_.memory;
        mem.setReg16(reg16::kCursorX, mem.reg16(reg16::kAreaLeft));
        mem.setReg16(reg16::kCursorY,
                     static_cast<uint16_t>(mem.reg16(reg16::kCursorY) + mem.reg16(reg16::kLineAdvance)));
    }
    endRecording();
}

void Interpreter::defineProcedure() {
    evaluator_.fetch();
    const uint32_t p = evaluator_.evaluate();
    const uint32_t t = evaluator_.fetch32();
    // Procedure numbers above 99 have no entry; their body is skipped all the same.
    if (p < ScriptMachine::kProcedures)
        machine_.procedures[p] = {machine_.pc(), machine_.codeBase()};
    machine_.setPc(machine_.codeBase() + t);
}

void Interpreter::callProcedure(uint32_t p) {
    // Numbers above 99 and procedures never defined call nothing.
    if (p >= ScriptMachine::kProcedures || machine_.procedures[p].entry == 0) return;
    const uint32_t savedPc = machine_.pc();
    const uint32_t savedBase = machine_.codeBase();
    machine_.setPc(machine_.procedures[p].entry);
    machine_.setCodeBase(machine_.procedures[p].base);
    run();
    if (!(machine_.memory.controlWord() & control::kChangePending)) {
        machine_.setPc(savedPc);
        machine_.setCodeBase(savedBase);
    }
}

void Interpreter::procedureCall() {
    beginRecordingIfOpen();
    evaluator_.fetch();
    evaluator_.readArguments();
    const uint32_t p = machine_.arguments.value(0);
    endRecording(); // only the call instruction itself is recorded
    if (p >= ScriptMachine::kProcedures || machine_.procedures[p].entry == 0)
        noteUndefinedProcedure(p);
    callProcedure(p);
}

void Interpreter::noteUndefinedProcedure(uint32_t p) {
    if (notedProcedures_.size() >= kMaxNotedProcedures || !notedProcedures_.insert(p).second)
        return;
    char text[80];
    std::snprintf(text, sizeof text, "undefined procedure %u called at 0x%08X: nothing runs",
                  static_cast<unsigned>(p), static_cast<unsigned>(machine_.instructionStart));
    host_.authorNote(text);
}

int Interpreter::loadScript(std::string_view name) {
    notedProcedures_.clear();
    return host_.loadScript(name);
}

void Interpreter::externalCommand() {
    evaluator_.fetch();
    evaluator_.readArguments();
    const uint32_t n = machine_.arguments.value(0);
    if (n < kFirstExternalCommand || n > kLastExternalCommand) {
        evaluator_.fail(script_text::kCallErrorTitle, script_text::kUnknownExternalText);
        return;
    }
    table_.run(CommandKind::kExternal, n, machine_.arguments);
}

void Interpreter::defineChoice() {
    evaluator_.fetch();
    if (!machine_.choiceOpen) {
        machine_.choiceKeySlots.fill(0xFF);
        machine_.setKeyCount(0);
        for (uint32_t s = 0; s < ScriptMachine::kChoiceSlots; ++s) machine_.setChoiceAddress(s, 0);
        machine_.choiceOpen = true;
    }
    evaluator_.readArguments();
    const uint32_t key = machine_.arguments.value(0);
    const uint32_t t = evaluator_.fetch32();
    // Beyond 50 items, or with a key above 49, the tables stay as they are;
    // the body is skipped all the same.
    const uint16_t count = machine_.keyCount();
    if (count < ScriptMachine::kChoiceSlots) {
        machine_.setChoiceKey(count, key);
        machine_.setKeyCount(count + 1);
    }
    uint32_t slot = 0;
    while (slot < ScriptMachine::kChoiceSlots && machine_.choiceAddress(slot) != 0) ++slot;
    if (slot < ScriptMachine::kChoiceSlots) {
        if (key < ScriptMachine::kChoiceSlots)
            machine_.choiceKeySlots[key] = static_cast<uint8_t>(slot);
        machine_.setChoiceAddress(slot, machine_.pc());
    }
    machine_.setPc(machine_.codeBase() + t);
}

bool Interpreter::leaveChoice() const {
    // A script change or a loaded game inside a handler ends the choice too:
    // the handlers would otherwise unwind at once on every pass, for ever.
    return (machine_.memory.controlWord() & (control::kLeaveChoice | control::kChangePending)) !=
               0 ||
           evaluator_.halted();
}

void Interpreter::choiceLoop() {
    ScriptMemory& mem = machine_.memory;
    uint16_t defined = 0;
    while (defined < ScriptMachine::kChoiceSlots && machine_.choiceAddress(defined) != 0) ++defined;
    mem.setReg16(reg16::kChoiceCount, defined);

    const uint16_t saved = mem.controlWord();
    mem.clearControlBits(control::kLoggingEnabled);

    auto whileHeld = [&](int index) {
        while (host_.keyDown(index) && host_.pump() == 1) {
        }
    };

    host_.playerWaits(true);
    callProcedure(kOnStart);
    if (!leaveChoice()) {
        for (;;) {
            if (host_.pump() == 0) break;
            callProcedure(kOnPass);
            if (leaveChoice()) break;
            if (host_.keyDown(key::kDecide)) {
                callProcedure(kOnDecide);
                if (mem.flag(flag::kNoDecideWait) == 0) whileHeld(key::kDecide);
            } else if (host_.keyDown(key::kCancel)) {
                whileHeld(key::kCancel);
                callProcedure(kOnCancel);
                whileHeld(key::kCancel);
            } else if (host_.keyDown(key::kUp)) {
                callProcedure(kOnUp);
                host_.waitWhileHeld(kHeldWaitTicks, key::kUp);
            } else if (host_.keyDown(key::kDown)) {
                callProcedure(kOnDown);
                host_.waitWhileHeld(kHeldWaitTicks, key::kDown);
            } else if (host_.keyDown(key::kLeft)) {
                callProcedure(kOnLeft);
                host_.waitWhileHeld(kHeldWaitTicks, key::kLeft);
            } else if (host_.keyDown(key::kRight)) {
                callProcedure(kOnRight);
                host_.waitWhileHeld(kHeldWaitTicks, key::kRight);
            }
            if (leaveChoice()) break;
        }
    }
    // The remembered word comes back, but a pending change survives it.
    mem.setControlWord(saved | (mem.controlWord() & control::kChangePending));
    machine_.choiceOpen = false;
}

} // namespace fer

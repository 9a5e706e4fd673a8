#pragma once
// The interpreter loop: executes script code one instruction a pass, pumping
// one window message before each, and nests for procedure calls, script calls,
// the choice loop and code run at an address.

#include <cstdint>
#include <set>
#include <string_view>

#include "core/BuildVariant.h"
#include "core/CommandTable.h"
#include "core/SoundControl.h"
#include "script/DebugHook.h"
#include "script/Evaluator.h"
#include "script/ExternalCommands.h"
#include "script/MessageLog.h"
#include "script/SaveGame.h"
#include "script/ScriptHost.h"
#include "script/ScriptMachine.h"
#include "script/ScriptSwitcher.h"
#include "script/SystemCommands.h"

namespace fer {

class Interpreter {
  public:
    // Nested loops beyond this depth end the engine with a fatal error rather
    // than exhausting the native stack.
    static constexpr uint16_t kMaxDepth = 1000;

    // The script engine's own commands are registered in commands; every
    // command reaches its owner through it. sound is stopped by the waits and
    // asked for its failures once a pass.
    Interpreter(ScriptMachine& machine, Evaluator& evaluator, ScriptHost& host,
                const BuildVariant& variant, CommandTable& commands, SoundControl& sound);

    // Runs the loop from the current pc until opcode 0, unwinding, or the last
    // pass after the window closed. Always returns 0.
    uint32_t run();
    // Calls procedure p; pc and codeBase are restored afterwards unless a
    // script change is pending.
    void callProcedure(uint32_t p);
    // Loads a script's code through the host (0 on failure, reported
    // already); the author's notes about it start afresh.
    int loadScript(std::string_view name);

    ScriptMachine& machine() { return machine_; }
    Evaluator& evaluator() { return evaluator_; }
    ScriptHost& host() { return host_; }
    const BuildVariant& variant() const { return variant_; }
    MessageLog& messageLog() { return log_; }
    ScriptSwitcher& switcher() { return switcher_; }
    SaveGame& saveGame() { return saveGame_; }
    ExternalCommands& externals() { return externals_; }
    const CommandTable& commands() const { return table_; }
    SoundControl& sound() { return sound_; }
    // Where the text drawn now began in the running script: the text
    // instruction's address when it lies in the script's code, else (text
    // run from a buffer the script filled) the instruction of the outermost
    // loop that led to it.
    uint32_t messageAddress() const {
        return textAddress_ >= ScriptMemory::kCodeBase ? textAddress_ : outermostPc_;
    }

    // A debugger to ask before every instruction; nullptr detaches it.
    void setDebugHook(DebugHook* hook) { debugHook_ = hook; }

  private:
    // kQuiet: the instruction only assigned, jumped or defined.
    enum class Step { kNext, kQuiet, kEnd };

    // The pass before an instruction: failed tracks reported, one pump, and
    // the window's state acted on. True when the window closed: the
    // instruction that follows is the last.
    bool pass();
    Step execute();
    void textInstruction(uint8_t opcode);
    void assignFlags();
    void assignRegisters16();
    void assignRegisters32();
    // The values of a register assignment from register r on.
    void assignRegisters16Rest(uint8_t r);
    void assignRegisters32Rest(uint8_t r);
    // The register assignments and jumps when nothing is recorded as they
    // begin: operand bytes read straight from the memory with one look at
    // the bound, the recording bits looked at again only when the control
    // word was written. They end exactly as the byte reader's versions do.
    template <bool Wide> void assignRegistersUnrecorded();
    void conditionalJumpUnrecorded();
    void jumpUnrecorded();
    // Reads the operand at pc without recording: the bytes and the pc move
    // as four reads of the byte reader would.
    uint32_t fetch32Unrecorded();
    void assignBytes();
    void assignArray(uint8_t opcode);
    void defineChoice();
    void choiceLoop();
    void defineProcedure();
    void procedureCall();
    // Tells the author, once per procedure number and script load, that a
    // call found no procedure.
    void noteUndefinedProcedure(uint32_t p);
    void textControl();
    void externalCommand();
    // Reads the continuation byte of a value list: true when another value follows.
    bool moreValues();
    bool leaveChoice() const;
    void beginRecordingIfOpen();
    void endRecording();

    ScriptMachine& machine_;
    Evaluator& evaluator_;
    ScriptHost& host_;
    const BuildVariant& variant_;
    CommandTable& table_;
    SoundControl& sound_;
    MessageLog log_;
    SystemCommands systemCommands_;
    ScriptSwitcher switcher_;
    SaveGame saveGame_;
    ExternalCommands externals_;
    // Procedure numbers whose undefined calls were noted since the last
    // load; no more than kMaxNotedProcedures, however many numbers a script calls.
    static constexpr size_t kMaxNotedProcedures = 256;
    std::set<uint32_t> notedProcedures_;
    uint32_t textAddress_ = 0; // the last text instruction
    uint32_t outermostPc_ = 0; // the instruction the outermost loop runs
    DebugHook* debugHook_ = nullptr;
};

} // namespace fer

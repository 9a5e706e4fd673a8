#include "script/ScriptSwitcher.h"

#include <string>

#include "files/PrintableName.h"
#include "script/Interpreter.h"
#include "script/ScriptMessages.h"

namespace fer {

void ScriptSwitcher::logName() {
    const char* charset = interpreter_.variant().iconvCharset;
    interpreter_.host().logLine(
        printableName(interpreter_.machine().memory.scriptName(), nameCharsetFor(charset)));
}

void ScriptSwitcher::setName(std::string_view name) {
    ScriptMachine& machine = interpreter_.machine();
    machine.memory.setScriptName(name);
    // Both copies hold the same (possibly shortened) name.
    interpreter_.host().setCurrentFileName(0, machine.memory.scriptName());
}

void ScriptSwitcher::change() {
    ScriptMachine& machine = interpreter_.machine();
    Evaluator& evaluator = interpreter_.evaluator();
    ScriptHost& host = interpreter_.host();
    host.logLine("COM_CHANGE");
    evaluator.fetch();
    machine.setCodeBase(ScriptMemory::kCodeBase);
    evaluator.readArguments();
    if (evaluator.halted()) return;
    if (machine.arguments.count() == 0) {
        evaluator.fail(script_text::kChangeErrorTitle, script_text::kBadArgumentsText);
        return;
    }
    const std::string name(machine.arguments.text(0));
    setName(name);
    logName();
    interpreter_.loadScript(machine.memory.scriptName());
    machine.memory.setControlBits(control::kChangePending);
}

void ScriptSwitcher::call() {
    ScriptMachine& machine = interpreter_.machine();
    Evaluator& evaluator = interpreter_.evaluator();
    ScriptHost& host = interpreter_.host();
    host.logLine("COM_CALLMES");
    evaluator.fetch();
    machine.setCodeBase(ScriptMemory::kCodeBase);
    evaluator.readArguments();
    if (evaluator.halted()) return;
    if (machine.arguments.count() == 0) {
        evaluator.fail(script_text::kCallMesErrorTitle, script_text::kBadArgumentsText);
        return;
    }
    const uint32_t returnPc = machine.pc();
    const std::string callerName(machine.memory.scriptName());
    const std::string name(machine.arguments.text(0));
    setName(name);
    logName();
    machine.setPc(ScriptMemory::kCodeBase);
    if (interpreter_.loadScript(machine.memory.scriptName()) == 0) return;
    interpreter_.run();
    // A change inside the called script, or a loaded game, replaces the caller too.
    if (machine.memory.controlWord() & control::kChangePending) return;
    if (evaluator.halted()) return;
    setName(callerName);
    machine.setPc(returnPc);
    machine.setCodeBase(ScriptMemory::kCodeBase);
    interpreter_.loadScript(callerName);
}

void ScriptSwitcher::switchTo(std::string_view name) {
    ScriptMachine& machine = interpreter_.machine();
    ScriptHost& host = interpreter_.host();
    machine.setCodeBase(ScriptMemory::kCodeBase);
    setName(name);
    // A dropped file's path may be longer than the name field holds: the
    // file is loaded by its whole path, the field keeps what fits.
    interpreter_.loadScript(name);
    machine.memory.setControlBits(control::kChangePending);
    host.setWindowState(window_state::kRestart);
}

} // namespace fer

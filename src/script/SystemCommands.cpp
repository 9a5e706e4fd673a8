#include "script/SystemCommands.h"

#include "script/HitTable.h"
#include "script/Interpreter.h"

namespace fer {

void SystemCommands::execute() {
    ScriptMachine& machine = interpreter_.machine();
    Evaluator& evaluator = interpreter_.evaluator();
    if (machine.memory.controlWord() & control::kMessageOpen)
        machine.memory.setControlBits(control::kRecording);
    evaluator.fetch();
    const uint32_t s = evaluator.evaluate();
    evaluator.readArguments();
    if (!evaluator.halted())
        interpreter_.commands().run(CommandKind::kSystem, s, machine.arguments);
    if (machine.memory.controlWord() & control::kRecording)
        machine.memory.clearControlBits(control::kRecording);
}

void SystemCommands::registerWith(CommandTable& table) {
    auto add = [&](uint32_t number, CommandTable::Handler handler) {
        table.add(CommandKind::kSystem, number, Subsystem::kScript, std::move(handler));
    };
    add(sys::kSaveState, [this](const ArgumentList& a) { interpreter_.saveGame().command(a.value(0), a.value(1)); });
    add(sys::kWait, [this](const ArgumentList&) { wait(); });
    add(sys::kRunAt, [this](const ArgumentList& a) { runAt(a.value(0)); });
    add(sys::kHitTest, [this](const ArgumentList& a) { hitTest(a.value(0), a.value(1)); });
    add(sys::kChoiceKey, [this](const ArgumentList& a) { choiceKey(a.value(0)); });
    add(sys::kClock, [this](const ArgumentList&) { clock(); });
    add(sys::kMessageLog, [this](const ArgumentList& a) { messageLog(a.value(0), a.value(1)); });
    add(sys::kWaitClick, [this](const ArgumentList&) { waitClick(); });
}

void SystemCommands::wait() {
    ScriptHost& host = interpreter_.host();
    const ArgumentList& args = interpreter_.machine().arguments;
    if (args.count() >= 1) {
        if (host.shiftHeld()) return;
        const uint32_t limit = args.value(0) / 4;
        host.resetTicks();
        while (host.pump() != 0 && host.ticks() < limit && !host.shiftHeld()) {
        }
        return;
    }
    // Wait for the next click; the skip key cuts the voice and ends the wait.
    host.playerWaits(false);
    struct WaitEnd {
        ScriptHost& host;
        ~WaitEnd() { host.playerWaitEnds(); }
    } waitEnd{host};
    if (host.keyDown(key::kSkip)) {
        interpreter_.sound().stop(SoundControl::kVoiceChannel);
        return;
    }
    while (!host.keyDown(key::kDecide)) {
        if (host.keyDown(key::kSkip)) {
            interpreter_.sound().stop(SoundControl::kVoiceChannel);
            return;
        }
        if (host.pump() == 0) break;
    }
    interpreter_.sound().stop(SoundControl::kVoiceChannel);
    while (host.keyDown(key::kDecide) && !host.keyDown(key::kSkip) && host.pump() != 0) {
    }
}

void SystemCommands::runAt(uint32_t address) {
    ScriptMachine& machine = interpreter_.machine();
    const uint32_t savedPc = machine.pc();
    const uint32_t savedBase = machine.codeBase();
    machine.setPc(address);
    machine.setCodeBase(address);
    interpreter_.run();
    if (!(machine.memory.controlWord() & control::kChangePending)) {
        machine.setPc(savedPc);
        machine.setCodeBase(savedBase);
    }
}

void SystemCommands::hitTest(uint32_t x, uint32_t y) {
    ScriptMemory& mem = interpreter_.machine().memory;
    const uint64_t table = uint64_t{ScriptMemory::kCodeBase} + mem.reg32(reg32::kHitTable);
    mem.setReg16(reg16::kResult,
                 HitTable::find(mem, table, static_cast<uint16_t>(x), static_cast<uint16_t>(y)));
}

void SystemCommands::choiceKey(uint32_t slot) {
    ScriptMachine& machine = interpreter_.machine();
    const uint8_t wanted = static_cast<uint8_t>(slot);
    uint16_t key = ScriptMachine::kChoiceSlots;
    for (uint16_t k = 0; k < ScriptMachine::kChoiceSlots; ++k) {
        if (machine.choiceKeySlots[k] == wanted) {
            key = k;
            break;
        }
    }
    machine.memory.setReg16(reg16::kChoiceKey, key);
}

void SystemCommands::clock() {
    ScriptMemory& mem = interpreter_.machine().memory;
    const LocalTime t = interpreter_.host().localTime();
    const uint16_t values[7] = {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second};
    for (uint8_t r = 0; r < 7; ++r) mem.setReg16(r, values[r]);
}

void SystemCommands::messageLog(uint32_t operation, uint32_t argument) {
    MessageLog& log = interpreter_.messageLog();
    switch (operation) {
    case 0: log.reset(argument); break;
    case 1: log.begin(); break;
    case 2: log.end(); break;
    case 3: log.count(); break;
    case 4: log.start(argument); break;
    default: break;
    }
}

void SystemCommands::waitClick() {
    ScriptHost& host = interpreter_.host();
    while (!host.keyDown(key::kDecide) && !host.keyDown(key::kCancel)) {
        if (host.pump() == 0) return;
    }
    while (host.keyDown(key::kDecide) || host.keyDown(key::kCancel)) {
        if (host.pump() == 0) return;
    }
}

} // namespace fer

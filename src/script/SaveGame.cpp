#include "script/SaveGame.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "script/Interpreter.h"

namespace fer {

namespace {
constexpr uint32_t kSaveSize = ScriptMemory::kSaveSize;
constexpr uint32_t kSlot6First = 3932;
constexpr uint32_t kSlot6Last = 3945;
} // namespace

std::string SaveGame::fileName(uint32_t slot) const {
    char name[32];
    std::snprintf(name, sizeof name, interpreter_.variant().saveNameFormat, slot);
    return name;
}

void SaveGame::command(uint32_t operation, uint32_t slot) {
    switch (operation) {
    case 0: load(slot); break;
    case 1: save(slot); break;
    case 2: loadVariables(slot); break;
    case 3: mergeFlags(slot); break;
    default: break;
    }
}

void SaveGame::load(uint32_t slot) {
    ScriptMachine& machine = interpreter_.machine();
    ScriptHost& host = interpreter_.host();
    if (!host.readWholeFile(fileName(slot), {machine.memory.data(), kSaveSize})) return;
    const std::string name(machine.memory.scriptName());
    host.setCurrentFileName(0, name);
    if (!interpreter_.loadScript(name)) return;
    machine.restoreReferences();
    // The control word comes from the file, with the change pending added.
    machine.memory.setControlBits(control::kChangePending);
}

void SaveGame::save(uint32_t slot) {
    const ScriptMemory& memory = interpreter_.machine().memory;
    interpreter_.host().writeSaveFile(fileName(slot), {memory.data(), kSaveSize});
}

void SaveGame::loadVariables(uint32_t slot) {
    ScriptMachine& machine = interpreter_.machine();
    std::array<uint8_t, ScriptMemory::kNameSize> name;
    std::memcpy(name.data(), machine.memory.data(), name.size());
    if (!interpreter_.host().readWholeFile(fileName(slot), {machine.memory.data(), kSaveSize}))
        return;
    std::memcpy(machine.memory.data(), name.data(), name.size());
    machine.restoreReferences();
}

void SaveGame::mergeFlags(uint32_t slot) {
    const ScriptMemory& memory = interpreter_.machine().memory;
    std::array<uint8_t, kSaveSize> buffer{};
    const std::string name = fileName(slot);
    if (!interpreter_.host().readWholeFile(name, buffer)) return;
    for (uint32_t n = 0; n < ScriptMemory::kFlagCount; ++n)
        buffer[ScriptMemory::kFlagBase + n] |= memory.flag(n);
    interpreter_.host().writeSaveFile(name, buffer);
}

void SaveGame::readSlot6Values() {
    std::array<uint8_t, kSaveSize> buffer{};
    if (!interpreter_.host().readWholeFile(interpreter_.variant().slot6FileName, buffer)) return;
    std::memcpy(interpreter_.machine().memory.data() + kSlot6First, buffer.data() + kSlot6First,
                kSlot6Last - kSlot6First + 1);
}

} // namespace fer

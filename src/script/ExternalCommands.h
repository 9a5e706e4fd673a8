#pragma once
// External commands 90..126 that belong to the script engine: the game-state
// snapshot, input tests, waits, the data-table lookup, the number written
// into the message log and the slot-6 values. The palette presets and
// transitions and the particle switches are registered by their owners.

#include <array>
#include <cstdint>

#include "core/CommandTable.h"
#include "core/ScriptMemory.h"

namespace fer {

class Interpreter;

class ExternalCommands {
  public:
    explicit ExternalCommands(Interpreter& interpreter) : interpreter_(interpreter) {}

    // Registers the script engine's own external commands.
    void registerWith(CommandTable& table);

    void takeSnapshot();
    void restoreSnapshot();
    void dataTableLookup(uint32_t record);
    void releaseDecideAndCancel();
    void waitForMoveSpeed();
    void waitTicks(uint32_t ticks);
    void numberIntoLog(uint32_t value);
    void holdUp();

  private:
    void setResult(uint16_t value);

    Interpreter& interpreter_;
    std::array<uint8_t, ScriptMemory::kSaveSize> snapshot_{};
};

} // namespace fer

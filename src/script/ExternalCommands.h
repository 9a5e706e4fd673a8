#pragma once
// External commands 90..126 that belong to the script engine: the game-state
// snapshot, input tests, waits, the data-table lookup, the number written
// into the message log and the slot-6 values. The palette presets and
// transitions and the particle switches go to their owners through the host.

#include <array>
#include <cstdint>

#include "script/ScriptMemory.h"

namespace fer {

class Interpreter;

class ExternalCommands {
  public:
    explicit ExternalCommands(Interpreter& interpreter) : interpreter_(interpreter) {}

    // Runs command n (90..126) with the arguments just read.
    void dispatch(uint32_t n);

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

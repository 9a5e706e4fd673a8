#pragma once
// Opcode 11: computes a command number, reads the argument list and runs the
// system command through the command table. The script engine's own commands
// (save and load, waits, running code at an address, hit test, choice keys,
// clock, message log, wait for a click) are carried out here.

#include <cstdint>

#include "core/CommandTable.h"

namespace fer {

class Interpreter;

class SystemCommands {
  public:
    explicit SystemCommands(Interpreter& interpreter) : interpreter_(interpreter) {}

    // Executes opcode 11 at pc (the opcode byte not yet consumed).
    void execute();
    // Registers the script engine's own system commands.
    void registerWith(CommandTable& table);

    void wait();
    void runAt(uint32_t address);
    void hitTest(uint32_t x, uint32_t y);
    void choiceKey(uint32_t slot);
    void clock();
    void messageLog(uint32_t operation, uint32_t argument);
    void waitClick();

  private:
    Interpreter& interpreter_;
};

} // namespace fer

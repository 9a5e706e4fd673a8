#pragma once
// Opcode 11: computes a command number, reads the argument list and carries
// out the system command. The script engine's own commands (waits, running
// code at an address, hit test, choice keys, clock, message log, wait for a
// click, text colour register) are carried out here; the others go to the
// subsystems that own them through the host.

#include <cstdint>

namespace fer {

class Interpreter;

class SystemCommands {
  public:
    static constexpr uint32_t kLastCommand = 20;

    explicit SystemCommands(Interpreter& interpreter) : interpreter_(interpreter) {}

    // Executes opcode 11 at pc (the opcode byte not yet consumed).
    void execute();
    // Runs system command s with the arguments already read.
    void dispatch(uint32_t s);

    void wait();
    void runAt(uint32_t address);
    void hitTest(uint32_t x, uint32_t y);
    void choiceKey(uint32_t slot);
    void clock();
    void messageLog(uint32_t operation, uint32_t argument);
    void waitClick();
    void textColour(uint32_t colours);

  private:
    Interpreter& interpreter_;
};

} // namespace fer

#pragma once
// Script switching: a script replaces itself with another (change), calls
// another and continues after it (call), or the user interface switches to a
// named script from outside. Flags, registers, arrays, procedures, choice
// items and the message log persist across all three.

#include <string_view>

namespace fer {

class Interpreter;

class ScriptSwitcher {
  public:
    explicit ScriptSwitcher(Interpreter& interpreter) : interpreter_(interpreter) {}

    // Opcode 12 at pc.
    void change();
    // Opcode 13 at pc.
    void call();
    // From the menu's file choice or a dropped file.
    void switchTo(std::string_view name);

  private:
    // Writes the name into both copies of the script name.
    void setName(std::string_view name);
    // Logs the script name, with unprintable bytes escaped.
    void logName();

    Interpreter& interpreter_;
};

} // namespace fer

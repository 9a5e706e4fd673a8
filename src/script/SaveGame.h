#pragma once
// Saving and loading games: system command 4. A saved game is the first 4096
// bytes of ScriptMemory, one file per slot, named by the build's format.

#include <cstdint>
#include <string>

namespace fer {

class Interpreter;

class SaveGame {
  public:
    explicit SaveGame(Interpreter& interpreter) : interpreter_(interpreter) {}

    // Operation 0..3 of system command 4 on a slot; other operations do nothing.
    void command(uint32_t operation, uint32_t slot);

    void load(uint32_t slot);
    void save(uint32_t slot);
    void loadVariables(uint32_t slot);
    void mergeFlags(uint32_t slot);
    // External command 107: bytes 3932..3945 of the slot-6 save.
    void readSlot6Values();

    std::string fileName(uint32_t slot) const;

  private:
    Interpreter& interpreter_;
};

} // namespace fer

#pragma once
// The one table through which opcodes 11 and 16 reach their commands. Each
// subsystem registers its handlers at start-up; a handler receives the
// argument list just read. InstructionTable.h lists who owns which number.

#include <array>
#include <cstdint>
#include <functional>

#include "core/ArgumentList.h"
#include "core/InstructionTable.h"

namespace fer {

class CommandTable {
  public:
    using Handler = std::function<void(const ArgumentList&)>;

    // Registers the handler of a command. False, registering nothing, when the
    // number is outside the listing, the owner is not the listed one, or the
    // command has a handler already.
    bool add(CommandKind kind, uint32_t number, Subsystem owner, Handler handler);

    // Runs the command's handler; a number with none does nothing.
    void run(CommandKind kind, uint32_t number, const ArgumentList& args) const;

    bool has(CommandKind kind, uint32_t number) const;

  private:
    static constexpr size_t kSlots = kLastSystemCommand + 1 + kLastExternalCommand -
                                     kFirstExternalCommand + 1;
    // The handler slot of a command, or kSlots when the number is unlisted.
    static size_t slot(CommandKind kind, uint32_t number);

    std::array<Handler, kSlots> handlers_;
};

} // namespace fer

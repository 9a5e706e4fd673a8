#pragma once
// System command 2, the mouse cursor: 0 show, 1 hide, 2 confine, 3 store
// its position in 16-bit registers 30 and 31, 4 move it. Operation 5 (the
// animated cursor) belongs to the animations.

#include "core/CommandTable.h"
#include "core/ScriptMemory.h"
#include "platform/Platform.h"
#include "shell/PlayerSettings.h"

namespace fer {

class CursorCommands {
  public:
    CursorCommands(Platform& platform, PlayerSettings& settings, ScriptMemory& memory)
        : platform_(platform), settings_(settings), memory_(memory) {}

    void registerWith(CommandTable& table);
    void command(const ArgumentList& args);

  private:
    Platform& platform_;
    PlayerSettings& settings_;
    ScriptMemory& memory_;
};

} // namespace fer

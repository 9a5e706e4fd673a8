#pragma once
// System command 2, the mouse cursor: 0 show, 1 hide, 2 confine, 3 store
// its position in 16-bit registers 30 and 31, 4 move it, 5 switch to the
// animated cursor arg 1 (every other operation stops its turns).

#include "core/CommandTable.h"
#include "core/ScriptMemory.h"
#include "graphics/AnimatedCursor.h"
#include "platform/Platform.h"
#include "shell/PlayerSettings.h"

namespace fer {

class CursorCommands {
  public:
    CursorCommands(Platform& platform, PlayerSettings& settings, ScriptMemory& memory,
                   AnimatedCursor& animated)
        : platform_(platform), settings_(settings), memory_(memory), animated_(animated) {}

    void registerWith(CommandTable& table);
    void command(const ArgumentList& args);

  private:
    Platform& platform_;
    PlayerSettings& settings_;
    ScriptMemory& memory_;
    AnimatedCursor& animated_;
};

} // namespace fer

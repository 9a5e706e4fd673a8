#pragma once
// The script's music and voice commands (system commands 5 and 6): argument
// 0 is the sub-command, argument 1 the file name. The name is kept in the
// current file names even when the command then does nothing.

#include <functional>

#include "core/CommandTable.h"
#include "core/CurrentFileNames.h"
#include "core/ScriptMemory.h"
#include "script/ScriptHost.h"
#include "sound/SoundManager.h"

namespace fer {

class SoundCommands {
  public:
    struct Settings {
        std::function<int()> musicEnabled; // the "SOUND" setting
        std::function<int()> voiceEnabled; // the "VOICE" setting
        // A voice began to play (the name as the script gave it).
        std::function<void(std::string_view)> voiceStarted;
    };

    SoundCommands(SoundManager& sound, ScriptHost& host, ScriptMemory& memory,
                  CurrentFileNames& names, Settings settings)
        : sound_(sound), host_(host), memory_(memory), names_(names),
          settings_(std::move(settings)) {}

    void registerWith(CommandTable& table);

    // 0 play on channel 0 (looping), 1 fade out both music channels, 2 stop
    // channel 0, 3 play on channel 1, 4 stop channel 1.
    void music(const ArgumentList& args);
    // 0 play a voice, 1 stop it, 2 play it and wait, pumping, until it ends.
    // While the skip key is held, 0 and 1 only stop a playing voice.
    void voice(const ArgumentList& args);

  private:
    SoundManager& sound_;
    ScriptHost& host_;
    ScriptMemory& memory_;
    CurrentFileNames& names_;
    Settings settings_;
};

} // namespace fer

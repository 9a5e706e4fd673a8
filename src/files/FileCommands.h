#pragma once
// The file system commands: 7 loads a data file into script memory and
// records its name; 19 (with arg 0 = 1) stops all three sound channels and
// reopens the archives.

#include "core/CommandTable.h"
#include "core/CurrentFileNames.h"
#include "core/ScriptMemory.h"
#include "core/SoundControl.h"
#include "files/FileStore.h"

namespace fer {

class FileCommands {
  public:
    FileCommands(FileStore& files, ScriptMemory& memory, CurrentFileNames& names,
                 SoundControl& sound)
        : files_(files), memory_(memory), names_(names), sound_(sound) {}

    void registerWith(CommandTable& table);

    void loadData(const ArgumentList& args);
    void stopAllAndReopen(const ArgumentList& args);

  private:
    FileStore& files_;
    ScriptMemory& memory_;
    CurrentFileNames& names_;
    SoundControl& sound_;
};

} // namespace fer

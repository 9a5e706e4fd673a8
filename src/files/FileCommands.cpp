#include "files/FileCommands.h"

#include <string>

namespace fer {

void FileCommands::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, 7, Subsystem::kFiles,
              [this](const ArgumentList& args) { loadData(args); });
    table.add(CommandKind::kSystem, 19, Subsystem::kFiles,
              [this](const ArgumentList& args) { stopAllAndReopen(args); });
}

void FileCommands::loadData(const ArgumentList& args) {
    const std::string name(args.text(0));
    files_.loadData(name, memory_, ScriptMemory::kCodeBase + args.value(1));
    names_.set(CurrentFileNames::kData, name);
}

void FileCommands::stopAllAndReopen(const ArgumentList& args) {
    if (args.value(0) != 1) return;
    sound_.stop(0);
    sound_.stop(1);
    sound_.stop(2);
    files_.reopenArchives(static_cast<int>(args.value(1)));
}

} // namespace fer

#include "map/MapCommands.h"

namespace fer {

void MapCommands::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, kCommand, Subsystem::kMap,
              [this](const ArgumentList& args) { command(args); });
}

} // namespace fer

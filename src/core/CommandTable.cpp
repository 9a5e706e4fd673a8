#include "core/CommandTable.h"

namespace fer {

std::string_view subsystemName(Subsystem s) {
    switch (s) {
    case Subsystem::kScript: return "script engine";
    case Subsystem::kText: return "text";
    case Subsystem::kGraphics: return "graphics";
    case Subsystem::kPalette: return "palette presets";
    case Subsystem::kCursor: return "cursor";
    case Subsystem::kAnimation: return "animation";
    case Subsystem::kSound: return "sound";
    case Subsystem::kFiles: return "files";
    case Subsystem::kMap: return "map";
    }
    return "unknown";
}

size_t CommandTable::slot(CommandKind kind, uint32_t number) {
    if (kind == CommandKind::kSystem) return number <= kLastSystemCommand ? number : kSlots;
    if (number < kFirstExternalCommand || number > kLastExternalCommand) return kSlots;
    return kLastSystemCommand + 1 + (number - kFirstExternalCommand);
}

bool CommandTable::add(CommandKind kind, uint32_t number, Subsystem owner, Handler handler) {
    const size_t s = slot(kind, number);
    const TableEntry* listed = commandEntry(kind, number);
    if (s >= kSlots || !listed || listed->owner != owner || handlers_[s] || !handler)
        return false;
    handlers_[s] = std::move(handler);
    return true;
}

void CommandTable::run(CommandKind kind, uint32_t number, const ArgumentList& args) const {
    const size_t s = slot(kind, number);
    if (s < kSlots && handlers_[s]) handlers_[s](args);
}

bool CommandTable::has(CommandKind kind, uint32_t number) const {
    const size_t s = slot(kind, number);
    return s < kSlots && static_cast<bool>(handlers_[s]);
}

} // namespace fer

#pragma once
// System command 17, the map: P0 the operation, P1 to P3 its values.

#include "core/ArgumentList.h"
#include "core/CommandTable.h"
#include "map/MapEngine.h"

namespace fer {

class MapCommands {
  public:
    static constexpr uint32_t kCommand = 17;

    MapCommands(ScriptMemory& memory, PlaneSet& planes, MapHost& host)
        : engine_(memory, planes, host) {}

    void registerWith(CommandTable& table);
    void command(const ArgumentList& args) {
        engine_.operation(args.value(0), args.value(1), args.value(2), args.value(3));
    }

    MapEngine& engine() { return engine_; }

  private:
    MapEngine engine_;
};

} // namespace fer

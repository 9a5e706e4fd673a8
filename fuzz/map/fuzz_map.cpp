#include "MapFuzzTarget.h"

#include "core/ScriptMemory.h"
#include "graphics/PlaneSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fer::ScriptMemory memory;
    static fer::PlaneSet planes;
    if (!planes.allocated() && !planes.allocate()) return 0;
    fer::fuzz::mapCommands(memory, planes, data, size);
    return 0;
}

// The scripted-input file: any text parses or is refused with a line number,
// and the events come out in time order within the allowed range.

#include <cstdint>
#include <string>

#include "platform/ScriptedInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::ScriptedInput input;
    std::string error;
    const bool ok = input.parse({reinterpret_cast<const char*>(data), size}, error);
    if (!ok) {
        if (error.rfind("line ", 0) != 0) __builtin_trap();
        return 0;
    }
    uint64_t last = 0;
    for (const fer::TimedEvent& e : input.events()) {
        if (e.at < last) __builtin_trap();
        // A press adds its release kPressLength after the last allowed time.
        if (e.at > uint64_t(fer::ScriptedInput::kMaxTime) + fer::ScriptedInput::kPressLength)
            __builtin_trap();
        last = e.at;
    }
    return 0;
}

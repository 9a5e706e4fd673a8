// Any text: the debug information parses or is refused with a reason; what
// parses is written and read back to the same records.

#include "script/ScriptDebugInfo.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::ScriptDebugInfo info;
    std::string error;
    if (!info.parse(std::string_view(reinterpret_cast<const char*>(data), size), error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    fer::ScriptDebugInfo back;
    if (!back.parse(info.write(), error) || !(back == info)) std::abort();
    info.lineAt(static_cast<uint32_t>(size));
    return 0;
}

#include "ScriptFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::runScriptInput(data, size);
    return 0;
}

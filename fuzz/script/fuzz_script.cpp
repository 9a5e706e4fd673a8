#include "ScriptFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::runScriptBytes(data, size);
    return 0;
}

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::fuzz::arcArchive(data, size);
    return 0;
}

#include "SoundFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fer::fuzz::waveStream(data, size);
    return 0;
}

#include "GraphicsFuzzTarget.h"

#include "graphics/PlaneSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One plane set for the whole run: allocating it per input would cost
    // more than the decoding.
    static fer::PlaneSet planes;
    if (!planes.allocated() && !planes.allocate()) return 0;
    fer::fuzz::imageLoader(planes, data, size);
    return 0;
}

#include "graphics/PlaneSet.h"

#include <cstring>
#include <new>

namespace fer {

bool PlaneSet::allocate() {
    try {
        for (int n = 0; n < kCount; ++n) {
            planes_[n] = VramPlane(kWidth, kHeights[n]);
            // The whole plane is cleared, the tails of the tall planes too.
            std::memset(planes_[n].pixels(), 0, planes_[n].size());
        }
    } catch (const std::bad_alloc&) {
        release();
        return false;
    }
    return true;
}

void PlaneSet::release() {
    for (auto& p : planes_) p = VramPlane();
}

} // namespace fer

#include "platform/ViewPlacement.h"

#include <algorithm>

namespace fer {

int centreViewAxis(int size, int start, int length) {
    return start + std::max(0, (length - size) / 2);
}

int cascadeViewAxis(int slot, int step, int size, int start, int length) {
    // The cascade comes round again within the room the view leaves, or within
    // the area's first half when the view leaves little or none.
    const int range = std::max({1, length - size + 1, length / 2});
    return start + (slot * step) % range;
}

} // namespace fer

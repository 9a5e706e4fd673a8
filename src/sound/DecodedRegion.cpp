#include "sound/DecodedRegion.h"

#include <cstring>

namespace fer {

uint8_t* DecodedRegion::open(uint64_t size, Decode decode) {
    decode_ = std::move(decode);
    return reserve(size, kUnit, kLimit, kLag);
}

void DecodedRegion::produceUnit(uint8_t* unit) {
    if (!decode_) {
        std::memset(unit, 0, unitSize());
        return;
    }
    decode_(unit, unitSize());
}

} // namespace fer

#include "sound/RingCopy.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "sound/ReservedRegion.h"

namespace fer {

namespace {

// The offset of position inside a ring of that size, folded.
size_t fold(const uint8_t* start, size_t size, const uint8_t* position) {
    const auto p = static_cast<intptr_t>(reinterpret_cast<uintptr_t>(position) -
                                         reinterpret_cast<uintptr_t>(start));
    const auto n = static_cast<intptr_t>(size);
    intptr_t r = p % n;
    if (r < 0) r += n;
    return static_cast<size_t>(r);
}

template <typename CopyPiece>
bool copyRings(Ring destination, uint8_t* destinationPos, ConstRing source,
               const uint8_t* sourcePos, size_t length, CopyPiece copyPiece) {
    if (destination.end <= destination.start || source.end <= source.start) return true;
    const auto dSize = static_cast<size_t>(destination.end - destination.start);
    const auto sSize = static_cast<size_t>(source.end - source.start);
    size_t d = fold(destination.start, dSize, destinationPos);
    size_t s = fold(source.start, sSize, sourcePos);
    while (length > 0) {
        const size_t n = std::min({length, dSize - d, sSize - s});
        if (!copyPiece(destination.start + d, source.start + s, n)) return false;
        length -= n;
        d += n;
        s += n;
        if (d == dSize) d = 0;
        if (s == sSize) s = 0;
    }
    return true;
}

} // namespace

void ringCopy(Ring destination, uint8_t* destinationPos, ConstRing source, const uint8_t* sourcePos,
              size_t length) {
    copyRings(destination, destinationPos, source, sourcePos, length,
              [](uint8_t* to, const uint8_t* from, size_t n) {
                  std::memmove(to, from, n);
                  return true;
              });
}

bool ringCopy(Ring destination, uint8_t* destinationPos, ConstRing source, const uint8_t* sourcePos,
              size_t length, ReservedRegion& sourceRegion) {
    return copyRings(destination, destinationPos, source, sourcePos, length,
                     [&](uint8_t* to, const uint8_t* from, size_t n) {
                         return sourceRegion.copyOut(from, std::span<uint8_t>(to, n));
                     });
}

} // namespace fer

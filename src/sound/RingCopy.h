#pragma once
// Copies between two circular buffers. Each ring is [start, end); a position
// outside its ring is first folded into it (start + (position - start) mod
// size). The copy is split wherever it reaches the end of either ring, the
// nearer one first, and goes on at that ring's start. An empty ring copies
// nothing.
//
// With a source region, every piece is read through the region unit by unit
// (see ReservedRegion::copyOut), so the bytes are present when they are read.

#include <cstddef>
#include <cstdint>

namespace fer {

class ReservedRegion;

struct Ring {
    uint8_t* start;
    uint8_t* end;
};

struct ConstRing {
    const uint8_t* start;
    const uint8_t* end;
};

void ringCopy(Ring destination, uint8_t* destinationPos, ConstRing source, const uint8_t* sourcePos,
              size_t length);

// False when a unit of the source region could not be committed; the copy
// stops there.
bool ringCopy(Ring destination, uint8_t* destinationPos, ConstRing source, const uint8_t* sourcePos,
              size_t length, ReservedRegion& sourceRegion);

} // namespace fer

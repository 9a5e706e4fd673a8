#pragma once
// A reserved region that keeps at most `capacity` units committed.
//
// Committed units sit in a ring of `capacity` slots in the order they were
// filled; `cursor` is the next slot. Filling a unit when ring[cursor] holds
// one (the ring is full) first decommits the oldest half of the ring, the
// units in the slots from cursor on, in one release; it then takes access away from the unit `lag` slots
// behind the cursor (its second chance), then commits the unit, or gives a
// unit that only lost access its access back without producing it again, and
// makes it the newest. A unit touched while it sits `lag` or more slots
// behind the newest is thus moved to the newest slot and not produced again;
// a unit touched after it was evicted is produced again.
//
// Touching one of the oldest units (the half a full ring gives back) evicts it
// and commits it again empty; it is then produced again, so a reader always
// sees its contents.
//
// A limit of less than one unit, or a limit smaller than the lag, means no
// limit: no tables, every commit is plain and nothing is evicted.

#include <cstdint>
#include <vector>

#include "sound/ReservedRegion.h"

namespace fer {

class BoundedRegion : public ReservedRegion {
  public:
    static constexpr int64_t kEmpty = -1;

    // Reserves size bytes in units of unit bytes, at most limit bytes
    // committed at once, with a second-chance lag of lag bytes. The base
    // address or null.
    uint8_t* reserve(uint64_t size, uint64_t unit, uint64_t limit, uint64_t lag);

    uint8_t* fill(const uint8_t* address, size_t length) override;
    uint8_t* decommit(const uint8_t* address, size_t length) override;

    // The ring's shape in units; capacity 0 means no limit.
    uint64_t capacity() const;
    uint64_t lag() const;
    uint64_t cursor() const;
    // The unit index in a ring slot, or kEmpty.
    int64_t ringEntry(uint64_t slot) const;

  private:
    using ReservedRegion::reserve;
    // Decommits the unit in a ring slot and empties the slot; its memory goes
    // with the next release.
    void evictLocked(uint64_t slot);

    std::vector<int64_t> unitSlot_; // guarded by mutex_
    std::vector<int64_t> ring_;     // guarded by mutex_
    uint64_t capacity_ = 0;
    uint64_t lag_ = 0;
    uint64_t cursor_ = 0;
};

} // namespace fer

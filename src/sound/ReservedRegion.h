#pragma once
// A range of address space reserved at once and committed unit by unit when
// it is first used. Reserved memory costs nothing; a committed unit is
// readable and writable; a decommitted unit gives its memory back and reads
// as zeros when it is committed again.
//
// The plain region commits and decommits whole ranges. A derived region
// gives units their contents in produceUnit, which runs for every unit whose
// contents were lost or never there when fill commits it. The bounded region
// (BoundedRegion) limits how many units stay committed.
//
// Nothing faults a unit in: a reader calls touch() over the range it is about
// to read, which fills every unit there that is not accessible, just as a
// fault on its first byte would. touch() returns false when a unit could not
// be committed; the reader must then leave the range alone.
//
// So access is kept in the unit table alone, and the system is asked as
// little as possible: the address space is mapped readable and writable at
// reservation (its pages become memory only when written), committing and
// taking access away or back cost no system call, and the memory of the units
// an operation gives back is returned at its end, one call for each run of
// neighbouring units. A unit given back and committed again within the same
// operation is cleared instead, so it reads as zeros all the same.
//
// Every operation takes an address and a length, rounds the address down and
// the length up to whole units, and returns the (rounded) address, or null on
// failure. All may be called from any thread; the unit table is guarded by the
// region's lock, which is held while units are produced.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace fer {

class ReservedRegion {
  public:
    ReservedRegion();
    virtual ~ReservedRegion();
    ReservedRegion(const ReservedRegion&) = delete;
    ReservedRegion& operator=(const ReservedRegion&) = delete;

    // Rounds unit up to whole pages and size up to whole units and reserves
    // that much address space. The base address, or null (also for size 0).
    uint8_t* reserve(uint64_t size, uint64_t unit);

    virtual uint8_t* fill(const uint8_t* address, size_t length);
    virtual uint8_t* decommit(const uint8_t* address, size_t length);
    // Fills the range whether it is accessible or not.
    uint8_t* prefetch(const uint8_t* address, size_t length) { return fill(address, length); }
    uint8_t* protectNone(const uint8_t* address, size_t length);
    uint8_t* protectReadWrite(const uint8_t* address, size_t length);
    // Fills the units of the range that are not accessible; false when one of
    // them could not be committed (or the range leaves the region).
    bool touch(const uint8_t* address, size_t length);
    // Copies bytes of the region out one unit at a time, each touched first
    // and copied under the lock, so that no other thread evicts it meanwhile.
    // A range wider than the second-chance lag is read safely this way. False
    // (with the rest of the destination unchanged) when a unit could not be
    // committed or the range leaves the region.
    bool copyOut(const uint8_t* from, std::span<uint8_t> to);

    uint8_t* base() const { return base_; }
    uint64_t size() const { return size_; }
    uint64_t unitSize() const { return unitSize_; }
    uint64_t pageSize() const { return pageSize_; }
    bool contains(const uint8_t* address) const;

    // Counters kept by the region itself.
    uint64_t committedBytes() const;
    uint64_t peakCommittedBytes() const;
    // How many times a unit's contents were produced.
    uint64_t unitsProduced() const;
    // How many times memory was given back to the system (one call per run
    // of neighbouring units).
    uint64_t releaseCalls() const;
    bool isCommitted(const uint8_t* address) const;
    bool isAccessible(const uint8_t* address) const;

  protected:
    enum class UnitState : uint8_t { Reserved, ReadWrite, NoAccess };

    // Gives a freshly committed (all zero) unit its contents. The lock is held.
    virtual void produceUnit(uint8_t* /*unit*/) {}
    // True for a region whose produceUnit writes every byte of the unit: a
    // unit holding old bytes is then not cleared before it is produced.
    virtual bool producesWholeUnit() const { return false; }
    // Makes a unit usable; a test region may make it fail. The mapping is
    // already there, so this asks the system for nothing.
    virtual bool commitUnit(uint8_t* unit);
    // Marks a unit given back; its memory goes with the next release.
    bool decommitLocked(uint64_t index);
    // Returns the memory of the units given back to the system, one call per
    // run of neighbouring units. Every operation that gives units back calls
    // it before it returns.
    void releaseUnreleasedLocked();
    // Instead of that release: when the units given back are one run and the
    // `count` units from `to` on are reserved and hold nothing, the run's
    // memory is moved there in one call (the run then reads as zeros), ready
    // for the next commits without a page fault each. Units moved to and not
    // committed by the next call go back to the system then. False (nothing
    // moved, nothing released) when it does not apply or the system refuses.
    bool moveUnreleasedLocked(uint64_t to);

    // Commits one unit; fresh tells whether its contents must be produced.
    bool commitLocked(uint64_t index, bool& fresh);
    bool protectLocked(uint64_t index, UnitState state);
    // Produces the unit's contents when fresh, counting it.
    void produceLocked(uint64_t index);

    // The rounded range [first, end) of unit indexes; false when it is empty
    // or does not start inside the region.
    bool unitRange(const uint8_t* address, size_t length, uint64_t& first, uint64_t& end) const;
    uint8_t* unitAddress(uint64_t index) const { return base_ + index * unitSize_; }
    UnitState stateLocked(uint64_t index) const { return states_[index]; }

    mutable std::recursive_mutex mutex_;

  private:
    void release();

    uint64_t pageSize_;
    uint64_t unitSize_ = 0;
    uint8_t* base_ = nullptr;
    uint64_t size_ = 0;
    std::vector<UnitState> states_; // guarded by mutex_
    // Units given back whose memory still holds their old contents, and the
    // list of them (it may name a unit committed again since; guarded by
    // mutex_; empty between operations unless the system refused a release).
    std::vector<bool> unreleased_;
    std::vector<uint64_t> releaseQueue_;
    std::vector<uint64_t> moved_; // units memory was last moved to
    uint64_t unreleasedUnits_ = 0;
    uint64_t releaseCalls_ = 0;
    uint64_t committedUnits_ = 0;   // guarded by mutex_
    uint64_t peakCommittedUnits_ = 0;
    uint64_t produced_ = 0;
};

} // namespace fer

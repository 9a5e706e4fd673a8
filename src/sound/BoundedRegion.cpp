#include "sound/BoundedRegion.h"

#include <algorithm>
#include <new>

namespace fer {

uint8_t* BoundedRegion::reserve(uint64_t size, uint64_t unit, uint64_t limit, uint64_t lag) {
    std::lock_guard lock(mutex_);
    unitSlot_.clear();
    ring_.clear();
    capacity_ = lag_ = cursor_ = 0;
    uint8_t* base = ReservedRegion::reserve(size, unit);
    if (base == nullptr) return nullptr;
    if (limit == 0) return base;
    const uint64_t units = this->size() / unitSize();
    const uint64_t capacity = limit / unitSize();
    const uint64_t lagUnits = lag / unitSize();
    if (capacity == 0 || capacity < lagUnits) return base;
    try {
        unitSlot_.assign(units, kEmpty);
        ring_.assign(capacity, kEmpty);
    } catch (const std::bad_alloc&) {
        unitSlot_.clear();
        ring_.clear();
        return base;
    }
    capacity_ = capacity;
    lag_ = lagUnits;
    return base;
}

uint8_t* BoundedRegion::fill(const uint8_t* address, size_t length) {
    std::lock_guard lock(mutex_);
    if (capacity_ == 0) return ReservedRegion::fill(address, length);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return nullptr;
    for (uint64_t u = first; u < end; ++u) {
        const int64_t s = unitSlot_[u];
        if (ring_[cursor_] != kEmpty) {
            // The ring is full: the oldest half of it goes at once, so that
            // the system is asked once for many units rather than once each.
            const uint64_t batch = std::max<uint64_t>(capacity_ / 2, 1);
            for (uint64_t k = 0; k < batch; ++k) {
                const uint64_t slot = (cursor_ + k) % capacity_;
                if (ring_[slot] != kEmpty) evictLocked(slot);
            }
            // A reader going forward commits the units from u on next: their
            // memory is the memory just given back, moved there.
            if (!moveUnreleasedLocked(u)) releaseUnreleasedLocked();
        }
        const uint64_t behind = (cursor_ + capacity_ - lag_ % capacity_) % capacity_;
        if (lag_ != 0 && ring_[behind] != kEmpty)
            protectLocked(static_cast<uint64_t>(ring_[behind]), UnitState::NoAccess);
        bool fresh = false;
        if (!commitLocked(u, fresh)) return nullptr;
        if (s != kEmpty && ring_[s] == static_cast<int64_t>(u)) ring_[s] = kEmpty;
        unitSlot_[u] = static_cast<int64_t>(cursor_);
        ring_[cursor_] = static_cast<int64_t>(u);
        cursor_ = (cursor_ + 1) % capacity_;
        if (fresh) produceLocked(u);
    }
    return unitAddress(end - 1);
}

void BoundedRegion::evictLocked(uint64_t slot) {
    const auto u = static_cast<uint64_t>(ring_[slot]);
    decommitLocked(u);
    ring_[slot] = kEmpty;
    unitSlot_[u] = kEmpty;
}

uint8_t* BoundedRegion::decommit(const uint8_t* address, size_t length) {
    std::lock_guard lock(mutex_);
    if (capacity_ == 0) return ReservedRegion::decommit(address, length);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return nullptr;
    for (uint64_t u = first; u < end; ++u) {
        decommitLocked(u);
        const int64_t s = unitSlot_[u];
        if (s != kEmpty && ring_[s] == static_cast<int64_t>(u)) ring_[s] = kEmpty;
        unitSlot_[u] = kEmpty;
    }
    releaseUnreleasedLocked();
    return unitAddress(first);
}

uint64_t BoundedRegion::capacity() const {
    std::lock_guard lock(mutex_);
    return capacity_;
}

uint64_t BoundedRegion::lag() const {
    std::lock_guard lock(mutex_);
    return lag_;
}

uint64_t BoundedRegion::cursor() const {
    std::lock_guard lock(mutex_);
    return cursor_;
}

int64_t BoundedRegion::ringEntry(uint64_t slot) const {
    std::lock_guard lock(mutex_);
    return slot < ring_.size() ? ring_[slot] : kEmpty;
}

} // namespace fer

#include "sound/ReservedRegion.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace fer {

ReservedRegion::ReservedRegion() {
    const long page = ::sysconf(_SC_PAGESIZE);
    pageSize_ = page > 0 ? static_cast<uint64_t>(page) : 4096;
}

ReservedRegion::~ReservedRegion() {
    release();
}

void ReservedRegion::release() {
    if (base_ != nullptr) ::munmap(base_, size_);
    base_ = nullptr;
    size_ = 0;
    states_.clear();
    unreleased_.clear();
    releaseQueue_.clear();
    moved_.clear();
    unreleasedUnits_ = 0;
}

uint8_t* ReservedRegion::reserve(uint64_t size, uint64_t unit) {
    std::lock_guard lock(mutex_);
    release();
    if (unit == 0) unit = 1;
    unitSize_ = pageSize_ * ((unit + pageSize_ - 1) / pageSize_);
    const uint64_t units = (size + unitSize_ - 1) / unitSize_;
    if (units == 0 || units > (uint64_t{1} << 47) / unitSize_) return nullptr;
    const uint64_t bytes = units * unitSize_;
    try {
        states_.assign(units, UnitState::Reserved);
        unreleased_.assign(units, false);
        releaseQueue_.reserve(std::min<uint64_t>(units, 64));
    } catch (const std::bad_alloc&) {
        states_.clear();
        unreleased_.clear();
        return nullptr;
    }
    // Readable and writable at once: access is the unit table's business, and
    // a page costs memory only once it is written.
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        states_.clear();
        unreleased_.clear();
        return nullptr;
    }
    base_ = static_cast<uint8_t*>(p);
    size_ = bytes;
    committedUnits_ = peakCommittedUnits_ = produced_ = releaseCalls_ = 0;
    unreleasedUnits_ = 0;
    return base_;
}

bool ReservedRegion::contains(const uint8_t* address) const {
    const auto a = reinterpret_cast<uintptr_t>(address);
    const auto b = reinterpret_cast<uintptr_t>(base_);
    return base_ != nullptr && a >= b && a - b < size_;
}

bool ReservedRegion::unitRange(const uint8_t* address, size_t length, uint64_t& first,
                               uint64_t& end) const {
    if (!contains(address) || length == 0) return false;
    const uint64_t offset =
        reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(base_);
    first = offset / unitSize_;
    const uint64_t last = std::min<uint64_t>(offset + (length - 1), size_ - 1) / unitSize_;
    end = last + 1;
    return true;
}

bool ReservedRegion::commitUnit(uint8_t* /*unit*/) {
    return true; // the mapping is already there
}

void ReservedRegion::releaseUnreleasedLocked() {
    std::sort(releaseQueue_.begin(), releaseQueue_.end());
    releaseQueue_.erase(std::unique(releaseQueue_.begin(), releaseQueue_.end()),
                        releaseQueue_.end());
    std::vector<uint64_t> refused;
    size_t i = 0;
    while (i < releaseQueue_.size()) {
        const uint64_t first = releaseQueue_[i++];
        if (!unreleased_[first]) continue; // committed again meanwhile
        uint64_t end = first + 1;
        while (i < releaseQueue_.size() && releaseQueue_[i] == end && unreleased_[end]) {
            ++end;
            ++i;
        }
        // Private anonymous pages given back with MADV_DONTNEED read as zeros
        // afterwards. Should the system refuse, the units stay marked (they
        // are cleared when committed again) and wait for the next batch.
        ++releaseCalls_;
        if (::madvise(unitAddress(first), (end - first) * unitSize_, MADV_DONTNEED) != 0) {
            for (uint64_t u = first; u < end; ++u) refused.push_back(u);
            continue;
        }
        for (uint64_t u = first; u < end; ++u) unreleased_[u] = false;
        unreleasedUnits_ -= end - first;
    }
    releaseQueue_.swap(refused);
}

bool ReservedRegion::moveUnreleasedLocked(uint64_t to) {
#ifdef MREMAP_DONTUNMAP
    // Memory moved last time and never committed goes back first.
    for (uint64_t u : moved_)
        if (unreleased_[u]) releaseQueue_.push_back(u);
    moved_.clear();
    std::sort(releaseQueue_.begin(), releaseQueue_.end());
    releaseQueue_.erase(std::unique(releaseQueue_.begin(), releaseQueue_.end()),
                        releaseQueue_.end());
    if (releaseQueue_.empty()) return false;
    const uint64_t from = releaseQueue_.front();
    const uint64_t count = releaseQueue_.size();
    if (releaseQueue_.back() - from + 1 != count) return false; // not one run
    for (uint64_t u : releaseQueue_)
        if (!unreleased_[u]) return false;
    if (to + count > states_.size() || (to < from + count && from < to + count)) return false;
    for (uint64_t u = to; u < to + count; ++u)
        if (states_[u] != UnitState::Reserved || unreleased_[u]) return false;
    // The pages and their table entries move; the old place stays mapped and
    // reads as zeros, as after a release.
    const size_t bytes = count * unitSize_;
    ++releaseCalls_;
    if (::mremap(unitAddress(from), bytes, bytes, MREMAP_MAYMOVE | MREMAP_FIXED | MREMAP_DONTUNMAP,
                 unitAddress(to)) == MAP_FAILED)
        return false;
    for (uint64_t u = 0; u < count; ++u) {
        unreleased_[from + u] = false;
        unreleased_[to + u] = true; // old bytes: cleared when committed
        moved_.push_back(to + u);
    }
    releaseQueue_.clear();
    return true;
#else
    (void)to;
    return false;
#endif
}

bool ReservedRegion::commitLocked(uint64_t index, bool& fresh) {
    fresh = false;
    switch (states_[index]) {
    case UnitState::ReadWrite: return true;
    case UnitState::NoAccess: return protectLocked(index, UnitState::ReadWrite);
    case UnitState::Reserved: break;
    }
    if (!commitUnit(unitAddress(index))) return false;
    if (unreleased_[index]) {
        // It holds old bytes: it must read as zeros, or be written whole.
        if (!producesWholeUnit()) std::memset(unitAddress(index), 0, unitSize_);
        unreleased_[index] = false;
        --unreleasedUnits_;
    }
    states_[index] = UnitState::ReadWrite;
    ++committedUnits_;
    peakCommittedUnits_ = std::max(peakCommittedUnits_, committedUnits_);
    fresh = true;
    return true;
}

bool ReservedRegion::decommitLocked(uint64_t index) {
    if (states_[index] == UnitState::Reserved) return true;
    states_[index] = UnitState::Reserved;
    --committedUnits_;
    if (!unreleased_[index]) {
        unreleased_[index] = true;
        ++unreleasedUnits_;
        releaseQueue_.push_back(index);
    }
    return true;
}

bool ReservedRegion::protectLocked(uint64_t index, UnitState state) {
    if (states_[index] == UnitState::Reserved) return false;
    states_[index] = state;
    return true;
}

void ReservedRegion::produceLocked(uint64_t index) {
    ++produced_;
    produceUnit(unitAddress(index));
}

uint8_t* ReservedRegion::fill(const uint8_t* address, size_t length) {
    std::lock_guard lock(mutex_);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return nullptr;
    for (uint64_t i = first; i < end; ++i) {
        bool fresh = false;
        if (!commitLocked(i, fresh)) return nullptr;
        if (fresh) produceLocked(i);
    }
    return unitAddress(first);
}

uint8_t* ReservedRegion::decommit(const uint8_t* address, size_t length) {
    std::lock_guard lock(mutex_);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return nullptr;
    for (uint64_t i = first; i < end; ++i) decommitLocked(i);
    releaseUnreleasedLocked(); // the whole range in one call
    return unitAddress(first);
}

uint8_t* ReservedRegion::protectNone(const uint8_t* address, size_t length) {
    std::lock_guard lock(mutex_);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return nullptr;
    for (uint64_t i = first; i < end; ++i)
        if (!protectLocked(i, UnitState::NoAccess)) return nullptr;
    return unitAddress(first);
}

uint8_t* ReservedRegion::protectReadWrite(const uint8_t* address, size_t length) {
    std::lock_guard lock(mutex_);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return nullptr;
    for (uint64_t i = first; i < end; ++i)
        if (!protectLocked(i, UnitState::ReadWrite)) return nullptr;
    return unitAddress(first);
}

bool ReservedRegion::touch(const uint8_t* address, size_t length) {
    if (length == 0) return true;
    std::lock_guard lock(mutex_);
    uint64_t first = 0, end = 0;
    if (!unitRange(address, length, first, end)) return false;
    // A range that runs past the region's end cannot be read.
    const uint64_t offset =
        reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(base_);
    if (length > size_ - offset) return false;
    for (uint64_t i = first; i < end; ++i) {
        if (states_[i] == UnitState::ReadWrite) continue;
        if (fill(unitAddress(i), 1) == nullptr) return false;
    }
    // A fill evicts only units other than the one it fills, but a range of
    // several units may have lost an earlier one to the second chance.
    for (uint64_t i = first; i < end; ++i)
        if (states_[i] != UnitState::ReadWrite) return false;
    return true;
}

bool ReservedRegion::copyOut(const uint8_t* from, std::span<uint8_t> to) {
    std::lock_guard lock(mutex_);
    size_t done = 0;
    while (done < to.size()) {
        const uint8_t* at = from + done;
        if (!contains(at)) return false;
        const uint64_t offset = static_cast<uint64_t>(at - base_);
        const size_t piece = static_cast<size_t>(
            std::min<uint64_t>(to.size() - done, unitSize_ - offset % unitSize_));
        if (!touch(at, piece)) return false;
        std::copy_n(at, piece, to.data() + done);
        done += piece;
    }
    return true;
}

uint64_t ReservedRegion::committedBytes() const {
    std::lock_guard lock(mutex_);
    return committedUnits_ * unitSize_;
}

uint64_t ReservedRegion::peakCommittedBytes() const {
    std::lock_guard lock(mutex_);
    return peakCommittedUnits_ * unitSize_;
}

uint64_t ReservedRegion::releaseCalls() const {
    std::lock_guard lock(mutex_);
    return releaseCalls_;
}

uint64_t ReservedRegion::unitsProduced() const {
    std::lock_guard lock(mutex_);
    return produced_;
}

bool ReservedRegion::isCommitted(const uint8_t* address) const {
    std::lock_guard lock(mutex_);
    if (!contains(address)) return false;
    return states_[(address - base_) / unitSize_] != UnitState::Reserved;
}

bool ReservedRegion::isAccessible(const uint8_t* address) const {
    std::lock_guard lock(mutex_);
    if (!contains(address)) return false;
    return states_[(address - base_) / unitSize_] == UnitState::ReadWrite;
}

} // namespace fer

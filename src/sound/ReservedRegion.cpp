#include "sound/ReservedRegion.h"

#include <algorithm>
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
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    void* p = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        states_.clear();
        return nullptr;
    }
    base_ = static_cast<uint8_t*>(p);
    size_ = bytes;
    committedUnits_ = peakCommittedUnits_ = produced_ = 0;
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

bool ReservedRegion::commitUnit(uint8_t* unit) {
    return ::mprotect(unit, unitSize_, PROT_READ | PROT_WRITE) == 0;
}

bool ReservedRegion::decommitUnit(uint8_t* unit) {
    // Private anonymous pages given back with MADV_DONTNEED read as zeros
    // afterwards; the protection makes a stray access fault at once.
    if (::madvise(unit, unitSize_, MADV_DONTNEED) != 0) return false;
    return ::mprotect(unit, unitSize_, PROT_NONE) == 0;
}

bool ReservedRegion::commitLocked(uint64_t index, bool& fresh) {
    fresh = false;
    switch (states_[index]) {
    case UnitState::ReadWrite: return true;
    case UnitState::NoAccess: return protectLocked(index, UnitState::ReadWrite);
    case UnitState::Reserved: break;
    }
    if (!commitUnit(unitAddress(index))) return false;
    states_[index] = UnitState::ReadWrite;
    ++committedUnits_;
    peakCommittedUnits_ = std::max(peakCommittedUnits_, committedUnits_);
    fresh = true;
    return true;
}

bool ReservedRegion::decommitLocked(uint64_t index) {
    if (states_[index] == UnitState::Reserved) return true;
    if (!decommitUnit(unitAddress(index))) return false;
    states_[index] = UnitState::Reserved;
    --committedUnits_;
    return true;
}

bool ReservedRegion::protectLocked(uint64_t index, UnitState state) {
    if (states_[index] == UnitState::Reserved) return false;
    if (states_[index] == state) return true;
    const int protection = state == UnitState::ReadWrite ? PROT_READ | PROT_WRITE : PROT_NONE;
    if (::mprotect(unitAddress(index), unitSize_, protection) != 0) return false;
    states_[index] = state;
    return true;
}

void ReservedRegion::populateForWrite(uint8_t* unit) const {
#ifdef MADV_POPULATE_WRITE
    // Kernels without it refuse the advice; the pages then fault in as
    // they are written.
    (void)::madvise(unit, unitSize_, MADV_POPULATE_WRITE);
#else
    (void)unit;
#endif
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
    for (uint64_t i = first; i < end; ++i)
        if (!decommitLocked(i)) return nullptr;
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

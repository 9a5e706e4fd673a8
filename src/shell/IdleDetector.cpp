#include "shell/IdleDetector.h"

#include <algorithm>
#include <cstring>

namespace fer {

namespace {
// Registers, flags and the script name: what a computing script changes
// most often, compared on its own first.
constexpr uint32_t kHead = ScriptMemory::kCodeBase;
constexpr uint32_t kPage = 4096;
} // namespace

IdleDetector::IdleDetector() : copy_(std::make_unique<uint8_t[]>(ScriptMemory::kSize)) {
    std::memset(copy_.get(), 0, ScriptMemory::kSize);
}

bool IdleDetector::waiting(bool handledEvent, const Seen& seen, const ScriptMemory& memory) {
    const bool ticked = seen.ticks != last_.ticks;
    Seen apartFromTicks = seen;
    apartFromTicks.ticks = last_.ticks;
    if (handledEvent || !(apartFromTicks == last_)) {
        last_ = seen;
        quietPasses_ = 0;
        waiting_ = false;
        afterTick_ = false;
        return false;
    }
    last_.ticks = seen.ticks;
    if (ticked && (waiting_ || afterTick_)) {
        waiting_ = false;
        afterTick_ = true;
        quietPasses_ = 0;
        return false;
    }
    if (waiting_) return true;
    if (afterTick_) {
        if (++quietPasses_ < kQuietPassesAfterTick) return false;
        quietPasses_ = 0;
        afterTick_ = false;
        waiting_ = ++ticksWaited_ % kTicksPerWholeCheck == 0 ? memoryUnchanged(memory)
                                                              : headUnchanged(memory);
        return waiting_;
    }
    if (++quietPasses_ < kQuietPassesBeforeCheck) return false;
    quietPasses_ = 0;
    ticksWaited_ = 0;
    waiting_ = memoryUnchanged(memory);
    return waiting_;
}

bool IdleDetector::headUnchanged(const ScriptMemory& memory) {
    ++checks_;
    if (std::memcmp(copy_.get(), memory.data(), kHead) == 0) return true;
    std::memcpy(copy_.get(), memory.data(), kHead);
    return false;
}

bool IdleDetector::memoryUnchanged(const ScriptMemory& memory) {
    ++checks_;
    const uint8_t* now = memory.data();
    uint8_t* copy = copy_.get();
    if (std::memcmp(copy, now, kHead) != 0) {
        std::memcpy(copy, now, kHead);
        return false;
    }
    bool same = true;
    for (uint32_t at = kHead; at < ScriptMemory::kSize; at += kPage) {
        const uint32_t n = std::min(kPage, ScriptMemory::kSize - at);
        if (std::memcmp(copy + at, now + at, n) != 0) {
            std::memcpy(copy + at, now + at, n);
            same = false;
        }
    }
    return same;
}

} // namespace fer

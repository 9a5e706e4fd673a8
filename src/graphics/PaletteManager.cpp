#include "graphics/PaletteManager.h"

#include <algorithm>

namespace fer {

namespace {

uint8_t stepFor(uint8_t from, uint8_t to, uint8_t speed) {
    if (from == to) return 0;
    if (speed == PaletteManager::kStepOne) return 1;
    const int distance = from > to ? from - to : to - from;
    // Speed 1 over the full distance would need 256, which a byte step
    // cannot hold; 255 reaches the target in the same single tick.
    return static_cast<uint8_t>(std::min(distance / speed + 1, 255));
}

// One channel one step towards its target; true when it differed.
bool approach(uint8_t& value, uint8_t target, uint8_t step) {
    if (value == target) return false;
    if (value < target)
        value = static_cast<uint8_t>(target - value <= step ? target : value + step);
    else
        value = static_cast<uint8_t>(value - target <= step ? target : value - step);
    return true;
}

} // namespace

uint32_t PaletteManager::rangeEnd(uint32_t first, uint32_t count) {
    if (first >= kAnimatedEntries) return first;
    return first + std::min(count, kAnimatedEntries - first);
}

void PaletteManager::applyRange(uint32_t first, uint32_t count) {
    std::lock_guard lock(mutex_);
    const uint32_t end = rangeEnd(first, count);
    for (uint32_t i = first; i < end; ++i) {
        current_[i].red = target_[i].red;
        current_[i].green = target_[i].green;
        current_[i].blue = target_[i].blue;
    }
    changed_.store(true, std::memory_order_release);
}

void PaletteManager::computeSteps(uint8_t speed) {
    if (speed == 0) speed = 1;
    std::lock_guard lock(mutex_);
    for (uint32_t i = 0; i < kAnimatedEntries; ++i) {
        steps_[i].red = stepFor(current_[i].red, target_[i].red, speed);
        steps_[i].green = stepFor(current_[i].green, target_[i].green, speed);
        steps_[i].blue = stepFor(current_[i].blue, target_[i].blue, speed);
    }
}

bool PaletteManager::fadeTick(uint32_t first, uint32_t count) {
    std::lock_guard lock(mutex_);
    return fadeTickLocked(first, count);
}

bool PaletteManager::fadeTickLocked(uint32_t first, uint32_t count) {
    const uint32_t end = rangeEnd(first, count);
    bool moved = false;
    for (uint32_t i = first; i < end; ++i) {
        PaletteEntry& c = current_[i];
        const PaletteEntry& t = target_[i];
        const PaletteEntry& s = steps_[i];
        moved |= approach(c.red, t.red, s.red);
        moved |= approach(c.green, t.green, s.green);
        moved |= approach(c.blue, t.blue, s.blue);
    }
    if (moved) changed_.store(true, std::memory_order_release);
    return !moved;
}

void PaletteManager::readTarget(Palette& buffer) const {
    std::lock_guard lock(mutex_);
    for (uint32_t i = 0; i < kAnimatedEntries; ++i) {
        buffer[i].red = target_[i].red;
        buffer[i].green = target_[i].green;
        buffer[i].blue = target_[i].blue;
    }
}

void PaletteManager::writeTarget(const Palette& buffer) {
    std::lock_guard lock(mutex_);
    for (uint32_t i = 0; i < kAnimatedEntries; ++i) {
        target_[i].red = buffer[i].red;
        target_[i].green = buffer[i].green;
        target_[i].blue = buffer[i].blue;
    }
}

void PaletteManager::startFade(uint32_t first, uint32_t count) {
    {
        std::lock_guard lock(mutex_);
        fadeFirst_ = first;
        fadeCount_ = count;
    }
    fadeActive_.store(true, std::memory_order_release);
}

void PaletteManager::timerTick() {
    if (!fadeActive_.load(std::memory_order_acquire)) return;
    std::lock_guard lock(mutex_);
    if (fadeTickLocked(fadeFirst_, fadeCount_)) fadeActive_.store(false, std::memory_order_release);
}

bool PaletteManager::takeChange(Palette& colours) {
    if (!changed_.exchange(false, std::memory_order_acq_rel)) return false;
    std::lock_guard lock(mutex_);
    colours = current_;
    return true;
}

Palette PaletteManager::current() const {
    std::lock_guard lock(mutex_);
    return current_;
}

Palette PaletteManager::target() const {
    std::lock_guard lock(mutex_);
    return target_;
}

} // namespace fer

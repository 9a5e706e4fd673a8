#include "graphics/TimedAnimations.h"

namespace fer {

uint32_t TimedAnimations::applyCountedTicks() {
    // A tick's work never pumps, but should anything in it reach the sync
    // point again, the outer call goes on with the count.
    if (applying_) return 0;
    applying_ = true;
    // The ticks counted so far; those counted meanwhile wait for the next
    // pass, so a slow machine cannot keep the main thread here for good.
    const uint32_t n = pending();
    for (uint32_t i = 0; i < n; ++i) applyTick();
    pending_.fetch_sub(n, std::memory_order_acq_rel);
    applying_ = false;
    return n;
}

void TimedAnimations::applyTick() {
    cursor_.tick();
    channels_.tick();
    particles_.tick(applied_);
    ++applied_;
}

} // namespace fer

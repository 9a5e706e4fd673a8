#include "graphics/TimedAnimations.h"

namespace fer {

uint32_t TimedAnimations::applyPendingTicks() {
    // A tick's work never pumps, but should anything in it reach the sync
    // point again, the outer call goes on with the count.
    if (applying_) return 0;
    applying_ = true;
    uint32_t done = 0;
    for (uint32_t n = pending(); n > 0; n = pending()) {
        for (uint32_t i = 0; i < n; ++i) applyTick();
        pending_.fetch_sub(n, std::memory_order_acq_rel);
        done += n;
    }
    applying_ = false;
    return done;
}

void TimedAnimations::applyTick() {
    cursor_.tick();
    channels_.tick();
    particles_.tick(applied_);
    ++applied_;
}

} // namespace fer

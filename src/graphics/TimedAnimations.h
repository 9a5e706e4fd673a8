#pragma once
// What changes by itself on the timer's ticks: the animated cursor, the
// animation channels and the particle effects, in that order each tick.
//
// Threads: the timer thread only counts a tick (recordTick). The main thread
// applies every tick counted, in order, at its sync point (applyPendingTicks:
// the end of each pump pass, so also inside every wait that pumps). The
// drawing thus stays on the main thread with the script's own drawing, and
// no tick is lost or applied twice: the count is one atomic that the timer
// only raises and the main thread only lowers by what it applied.

#include <atomic>
#include <cstdint>

#include "graphics/AnimatedCursor.h"
#include "graphics/AnimationChannels.h"
#include "graphics/ParticleEffects.h"

namespace fer {

class TimedAnimations {
  public:
    TimedAnimations(AnimatedCursor& cursor, AnimationChannels& channels, ParticleEffects& particles)
        : cursor_(cursor), channels_(channels), particles_(particles) {}

    // Timer thread: one tick happened.
    void recordTick() { pending_.fetch_add(1, std::memory_order_acq_rel); }

    // Main thread: applies the ticks counted so far (not those counted while
    // it runs); returns how many. Asked once a pass: one look when none.
    uint32_t applyPendingTicks() { return pending() == 0 ? 0 : applyCountedTicks(); }
    // Main thread: one tick's work.
    void applyTick();

    uint32_t pending() const { return pending_.load(std::memory_order_acquire); }
    // Ticks applied since start (mixed into the particles' random values).
    uint32_t applied() const { return applied_; }

  private:
    uint32_t applyCountedTicks();
    AnimatedCursor& cursor_;
    AnimationChannels& channels_;
    ParticleEffects& particles_;
    std::atomic<uint32_t> pending_{0};
    uint32_t applied_ = 0;
    bool applying_ = false;
};

} // namespace fer

#pragma once
// The screen palette and its fades. `target` holds the colours the screen is
// to show, `current` those it shows now, `steps` the per-channel step of the
// fade under way. Only entries 0 to 235 ever change; 236 to 255 stay black.
//
// Threads: the fade advances on the timer thread (timerTick); everything else
// runs on the main thread. The colours and the fade range are guarded by one
// mutex, the fade flag is atomic. The timer thread never shows anything: it
// records that the colours changed, and the main thread takes the new
// colours (takeChange) and re-presents plane 0 through them. Plane pixels
// are never touched.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "core/PaletteEntry.h"

namespace fer {

class PaletteManager {
  public:
    static constexpr uint32_t kAnimatedEntries = 236;
    static constexpr uint8_t kStepOne = 0xFF; // the speed that moves one per tick

    PaletteManager() = default;
    PaletteManager(const PaletteManager&) = delete;
    PaletteManager& operator=(const PaletteManager&) = delete;

    // current[i] = target[i] for the entries of the range that lie below 236.
    void applyRange(uint32_t first, uint32_t count);
    // Steps for every entry 0..235 and channel from current towards target:
    // speed 0xFF: 1 where they differ; else |current - target| / speed + 1
    // where they differ; 0 where equal. Speed 0 is taken as 1.
    void computeSteps(uint8_t speed);
    // Moves every channel of the range by its step towards the target,
    // stopping there. True when no channel of the range differed before.
    bool fadeTick(uint32_t first, uint32_t count);

    // Red, green and blue of entries 0..235.
    void readTarget(Palette& buffer) const;
    void writeTarget(const Palette& buffer);

    // Fade state: the main thread starts a fade over a range, the timer tick
    // advances it and clears the flag one tick after the last change.
    void startFade(uint32_t first, uint32_t count);
    bool fadeActive() const { return fadeActive_.load(std::memory_order_acquire); }
    // The timer thread's step.
    void timerTick();

    // When the colours changed since the last call: true and the colours the
    // screen is to show now.
    bool takeChange(Palette& colours);
    // Whether takeChange would find a change now (one look, nothing taken).
    bool changePending() const { return changed_.load(std::memory_order_acquire); }

    Palette current() const;
    Palette target() const;

  private:
    // Clamps a range to the animated entries; returns the end.
    static uint32_t rangeEnd(uint32_t first, uint32_t count);
    bool fadeTickLocked(uint32_t first, uint32_t count);

    mutable std::mutex mutex_;
    Palette target_{};       // guarded by mutex_
    Palette current_{};      // guarded by mutex_
    Palette steps_{};        // guarded by mutex_
    uint32_t fadeFirst_ = 0; // guarded by mutex_
    uint32_t fadeCount_ = 0; // guarded by mutex_
    std::atomic<bool> fadeActive_{false};
    std::atomic<bool> changed_{false};
};

} // namespace fer

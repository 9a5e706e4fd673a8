#pragma once
// The particle-effects object: effect A (up to 250 flakes of 8 x 8 pixels,
// a birth every 32 ticks, images in plane 3's top 8 rows) and effect B (up
// to 25 petals of 16 x 16, a birth every 16 ticks, images in rows 8 to 23 of
// plane 3), switched by external commands 92/93/124/125 (A) and 118/119
// (B). After each running effect's tick the whole picture is presented.
//
// Threads: main thread only; the shell applies the timer's ticks.

#include <cstdint>
#include <functional>

#include "core/ArgumentList.h"
#include "core/CommandTable.h"
#include "graphics/GraphicsHost.h"
#include "graphics/ParticleEffect.h"
#include "graphics/PlaneSet.h"

namespace fer {

class ParticleEffects {
  public:
    static constexpr uint32_t kStartA = 92;
    static constexpr uint32_t kStopA = 93;
    static constexpr uint32_t kStartB = 118;
    static constexpr uint32_t kStopB = 119;
    static constexpr uint32_t kStopAToo = 124;
    static constexpr uint32_t kResumeA = 125;

    static ParticleStyle flakes();
    static ParticleStyle petals();

    // seed: the pseudo-random start of an effect (the shell gives the sum of
    // the local date's and time's fields).
    ParticleEffects(PlaneSet& planes, GraphicsHost& host, std::function<uint32_t()> seed);

    void registerWith(CommandTable& table);
    // External command n; false when it is not one of these.
    bool execute(uint32_t n);

    // One timer tick of both effects.
    void tick(uint32_t tickNumber);

    ParticleEffect& a() { return a_; }
    ParticleEffect& b() { return b_; }

  private:
    GraphicsHost& host_;
    std::function<uint32_t()> seed_;
    ParticleEffect a_;
    ParticleEffect b_;
};

// The sum of the eight 16-bit fields of the local date and time (year,
// month, day of the week, day, hour, minute, second, millisecond).
uint32_t localTimeSeed();

} // namespace fer

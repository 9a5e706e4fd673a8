#pragma once
// One falling-particle effect over the picture. Plane 1 holds the clean
// background, planes 0 and 2 receive the particles, plane 3 holds their
// images. Each tick: a due birth (in the first free slot), then for every
// live particle: restore what it covered, draw it at its position, move it.
//
// A particle in front is drawn over every pixel of the picture from colour
// `frontFrom` on, one behind only over pixels from `backFrom` on (lower
// colours are the things it passes behind). It is taken away where the
// picture shows a colour above `restoreAbove` (its own pixels). Everything
// is clipped to the planes; particles leave when they pass row 400.
//
// Threads: main thread only; the shell applies the timer's ticks.

#include <array>
#include <cstdint>
#include <vector>

#include "graphics/PlaneSet.h"

namespace fer {

struct ParticleStyle {
    int size = 8;             // particles are size x size pixels
    size_t capacity = 250;    // at most this many live at once
    uint32_t birthEvery = 32; // ticks between births
    uint8_t restoreAbove = 109;
    uint8_t frontFrom = 10;
    uint8_t backFrom = 110;
    int imageTop = 0;         // the images: plane 3, at (size * kind, imageTop)
    int xSpan = 633;          // start columns lie in 0..xSpan-1
    uint32_t xStep = 83;      // slot n starts at column (n * xStep + xFirst) mod xSpan
    uint32_t xFirst = 17;
    bool petals = false;      // the birth values of the second effect
};

class ParticleEffect {
  public:
    static constexpr int kMaxSize = 16;
    static constexpr int kLeaveBelow = 400;

    struct Particle {
        bool active = false;
        bool drawn = false; // drawn at (drawnX, drawnY) with its marks
        bool front = false;
        uint8_t kind = 0;
        uint8_t speed = 0;
        uint8_t counter = 0;
        int x = 0;
        int y = 0;
        int drawnX = 0;
        int drawnY = 0;
        std::array<uint8_t, kMaxSize * kMaxSize> marks{};
    };

    ParticleEffect(PlaneSet& planes, const ParticleStyle& style);

    // Clears every particle and seeds the pseudo-random values; runs.
    void start(uint32_t seed);
    void stop() { running_ = false; }
    // Runs again with the particles as they were.
    void resume() { running_ = true; }
    bool running() const { return running_; }

    // One tick; `tickNumber` is mixed into the pseudo-random values.
    void tick(uint32_t tickNumber);

    size_t live() const;
    const std::vector<Particle>& particles() const { return particles_; }
    const ParticleStyle& style() const { return style_; }

  private:
    void birth(uint32_t tickNumber);
    uint32_t random(uint32_t tickNumber);
    void restore(Particle& p);
    void draw(Particle& p);
    static void move(Particle& p);

    PlaneSet& planes_;
    ParticleStyle style_;
    std::vector<Particle> particles_;
    bool running_ = false;
    bool birthDue_ = false;
    uint32_t sinceBirth_ = 0;
    uint32_t random_ = 1;
};

} // namespace fer

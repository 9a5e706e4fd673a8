#include "graphics/ParticleEffect.h"

#include <algorithm>

namespace fer {

namespace {
constexpr int kCounterStep = 16;
constexpr uint8_t kSpeeds[3] = {8, 16, 32};
} // namespace

ParticleEffect::ParticleEffect(PlaneSet& planes, const ParticleStyle& style)
    : planes_(planes), style_(style) {
    style_.size = std::clamp(style_.size, 1, kMaxSize);
    style_.xSpan = std::max(style_.xSpan, 1);
    particles_.resize(style_.capacity);
}

void ParticleEffect::start(uint32_t seed) {
    for (auto& p : particles_) p = Particle{};
    random_ = seed != 0 ? seed : 1;
    birthDue_ = false;
    sinceBirth_ = 0;
    running_ = true;
}

size_t ParticleEffect::live() const {
    return static_cast<size_t>(
        std::count_if(particles_.begin(), particles_.end(), [](const Particle& p) { return p.active; }));
}

uint32_t ParticleEffect::random(uint32_t tickNumber) {
    // xorshift32 of the state with the tick number mixed in at each use.
    uint32_t x = random_ ^ (tickNumber * 0x9E3779B9u);
    if (x == 0) x = 0x6D2B79F5u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    random_ = x;
    return x >> 8;
}

void ParticleEffect::tick(uint32_t tickNumber) {
    if (!running_) return;
    if (birthDue_ && live() < particles_.size()) {
        birth(tickNumber);
        birthDue_ = false;
    }
    for (auto& p : particles_) {
        if (!p.active) continue;
        if (p.drawn) restore(p);
        draw(p);
        move(p);
    }
    if (++sinceBirth_ >= style_.birthEvery) {
        sinceBirth_ = 0;
        birthDue_ = true;
    }
}

void ParticleEffect::birth(uint32_t tickNumber) {
    const auto free = std::find_if(particles_.begin(), particles_.end(),
                                   [](const Particle& p) { return !p.active; });
    if (free == particles_.end()) return;
    const uint32_t slot = static_cast<uint32_t>(free - particles_.begin());
    Particle& p = *free;
    p = Particle{};
    p.active = true;
    const uint32_t r = random(tickNumber);
    const bool front = (random(tickNumber) & 0x10) != 0;
    if (style_.petals) {
        // Four petal images, unhurried, half of them in front.
        p.kind = static_cast<uint8_t>(r % 4);
        p.speed = static_cast<uint8_t>(16 + 8 * ((r >> 2) % 3));
        p.front = front;
    } else {
        // Three flake sizes: the small ones slow, the large fast; the front
        // ones are never the smallest, the back ones never the largest.
        uint8_t kind = static_cast<uint8_t>(r % 3);
        p.speed = kSpeeds[kind];
        if (front && kind == 0) kind = 1;
        if (!front && kind == 2) kind = 1;
        p.kind = kind;
        p.front = front;
    }
    p.x = static_cast<int>((slot * style_.xStep + style_.xFirst) % static_cast<uint32_t>(style_.xSpan));
    p.y = 1 - style_.size;
}

void ParticleEffect::restore(Particle& p) {
    VramPlane& p0 = planes_[0];
    VramPlane& p1 = planes_[1];
    VramPlane& p2 = planes_[2];
    const int n = style_.size;
    for (int r = 0; r < n; ++r) {
        const int y = p.drawnY + r;
        if (y < 0 || y >= p0.height() || y >= p2.height() || y >= p1.height()) continue;
        uint8_t* row0 = p0.row(y);
        uint8_t* row2 = p2.row(y);
        const uint8_t* row1 = p1.row(y);
        for (int c = 0; c < n; ++c) {
            const int x = p.drawnX + c;
            if (x < 0 || x >= p0.width() || x >= p1.width() || x >= p2.width()) continue;
            if (p.marks[static_cast<size_t>(r * kMaxSize + c)] == 0) continue;
            if (row0[x] > style_.restoreAbove) row0[x] = row2[x] = row1[x];
        }
    }
}

void ParticleEffect::draw(Particle& p) {
    VramPlane& p0 = planes_[0];
    VramPlane& p2 = planes_[2];
    const VramPlane& images = planes_[3];
    const int n = style_.size;
    const uint8_t from = p.front ? style_.frontFrom : style_.backFrom;
    p.marks.fill(0);
    p.drawn = true;
    p.drawnX = p.x;
    p.drawnY = p.y;
    const int imageX = n * p.kind;
    for (int r = 0; r < n; ++r) {
        const int y = p.y + r;
        const int imageY = style_.imageTop + r;
        if (y < 0 || y >= p0.height() || y >= p2.height()) continue;
        if (imageY < 0 || imageY >= images.height()) continue;
        uint8_t* row0 = p0.row(y);
        uint8_t* row2 = p2.row(y);
        const uint8_t* image = images.row(imageY);
        for (int c = 0; c < n; ++c) {
            const int x = p.x + c;
            const int ix = imageX + c;
            if (x < 0 || x >= p0.width() || x >= p2.width() || ix >= images.width()) continue;
            const uint8_t v = image[ix];
            if (v == 0) continue;
            p.marks[static_cast<size_t>(r * kMaxSize + c)] = 1;
            if (row0[x] >= from) row0[x] = row2[x] = v;
        }
    }
}

void ParticleEffect::move(Particle& p) {
    if (p.counter < kCounterStep) {
        p.counter = static_cast<uint8_t>(p.counter + p.speed);
        ++p.y;
    } else {
        p.counter = static_cast<uint8_t>(p.counter - kCounterStep);
    }
    if (p.y > kLeaveBelow) p.active = false;
}

} // namespace fer

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
    // The rows and columns of the particle that lie on all three planes.
    const int height = std::min({p0.height(), p1.height(), p2.height()});
    const int width = std::min({p0.width(), p1.width(), p2.width()});
    const int firstRow = std::max(0, -p.drawnY), endRow = std::min(n, height - p.drawnY);
    const int firstColumn = std::max(0, -p.drawnX), endColumn = std::min(n, width - p.drawnX);
    const uint8_t above = style_.restoreAbove;
    for (int r = firstRow; r < endRow; ++r) {
        const int y = p.drawnY + r;
        const int x = p.drawnX + firstColumn;
        uint8_t* row0 = p0.row(y) + x;
        uint8_t* row2 = p2.row(y) + x;
        const uint8_t* row1 = p1.row(y) + x;
        const uint8_t* marks = p.marks.data() + r * kMaxSize + firstColumn;
        for (int i = 0; i < endColumn - firstColumn; ++i)
            if (marks[i] != 0 && row0[i] > above) row0[i] = row2[i] = row1[i];
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
    // The rows and columns of the particle on the picture planes whose image
    // pixels lie on plane 3.
    const int height = std::min(p0.height(), p2.height());
    const int width = std::min(p0.width(), p2.width());
    const int firstRow = std::max({0, -p.y, -style_.imageTop});
    const int endRow = std::min({n, height - p.y, images.height() - style_.imageTop});
    const int firstColumn = std::max(0, -p.x);
    const int endColumn = std::min({n, width - p.x, images.width() - imageX});
    for (int r = firstRow; r < endRow; ++r) {
        const int y = p.y + r;
        const int x = p.x + firstColumn;
        uint8_t* row0 = p0.row(y) + x;
        uint8_t* row2 = p2.row(y) + x;
        const uint8_t* image = images.row(style_.imageTop + r) + imageX + firstColumn;
        uint8_t* marks = p.marks.data() + r * kMaxSize + firstColumn;
        for (int i = 0; i < endColumn - firstColumn; ++i) {
            const uint8_t v = image[i];
            if (v == 0) continue;
            marks[i] = 1;
            if (row0[i] >= from) row0[i] = row2[i] = v;
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

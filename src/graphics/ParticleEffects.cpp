#include "graphics/ParticleEffects.h"

#include <chrono>
#include <ctime>

namespace fer {

ParticleStyle ParticleEffects::flakes() {
    return ParticleStyle{};
}

ParticleStyle ParticleEffects::petals() {
    ParticleStyle s;
    s.size = 16;
    s.capacity = 25;
    s.birthEvery = 16;
    s.restoreAbove = 155;
    s.frontFrom = 10;
    s.backFrom = 156;
    s.imageTop = 8;
    s.xSpan = 625;
    s.xStep = 137;
    s.xFirst = 40;
    s.petals = true;
    return s;
}

ParticleEffects::ParticleEffects(PlaneSet& planes, GraphicsHost& host,
                                 std::function<uint32_t()> seed)
    : host_(host), seed_(std::move(seed)), a_(planes, flakes()), b_(planes, petals()) {}

void ParticleEffects::registerWith(CommandTable& table) {
    for (uint32_t n : {kStartA, kStopA, kStartB, kStopB, kStopAToo, kResumeA})
        table.add(CommandKind::kExternal, n, Subsystem::kAnimation,
                  [this, n](const ArgumentList&) { execute(n); });
}

bool ParticleEffects::execute(uint32_t n) {
    switch (n) {
    case kStartA: a_.start(seed_ ? seed_() : 1); return true;
    case kStopA:
    case kStopAToo: a_.stop(); return true;
    case kResumeA: a_.resume(); return true;
    case kStartB: b_.start(seed_ ? seed_() : 1); return true;
    case kStopB: b_.stop(); return true;
    default: return false;
    }
}

void ParticleEffects::tick(uint32_t tickNumber) {
    for (ParticleEffect* e : {&a_, &b_}) {
        if (!e->running()) continue;
        e->tick(tickNumber);
        host_.present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
    }
}

uint32_t localTimeSeed() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return static_cast<uint32_t>(tm.tm_year + 1900) + static_cast<uint32_t>(tm.tm_mon + 1) +
           static_cast<uint32_t>(tm.tm_wday) + static_cast<uint32_t>(tm.tm_mday) +
           static_cast<uint32_t>(tm.tm_hour) + static_cast<uint32_t>(tm.tm_min) +
           static_cast<uint32_t>(tm.tm_sec) + static_cast<uint32_t>(ms);
}

} // namespace fer

// One full tick of what moves by itself: the cursor, ten running animation
// channels (each drawing a 64 x 64 copy, which goes on as a transparent copy
// and a compose) and both particle effects full (250 flakes, 25 petals).
// "period_share" is the tick's time as a share of the timer's 15 ms period;
// the same run times memcpy of one 640 x 400 plane as a baseline
// ("memcpy_planes" = how many plane copies the tick's time would buy).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "core/ScriptRegisters.h"
#include "graphics/AnimatedCursor.h"
#include "graphics/AnimationChannels.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/NullGraphicsHost.h"
#include "graphics/ParticleEffects.h"
#include "script/ScriptMachine.h"

namespace {

using namespace fer;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kBase = 0x20000;

struct Rig {
    Rig()
        : graphics(machine.memory, planes, palette, host, ImageLoader::Format::kBitmap),
          channels(machine.memory, planes, palette, graphics, host),
          flakesFull([] {
              ParticleStyle s = ParticleEffects::flakes();
              s.birthEvery = 1;
              return s;
          }()),
          petalsFull([] {
              ParticleStyle s = ParticleEffects::petals();
              s.birthEvery = 1;
              return s;
          }()),
          a(planes, flakesFull), b(planes, petalsFull) {
        planes.allocate();
        for (unsigned n = 0; n < 4; ++n)
            for (size_t i = 0; i < planes[n].size(); ++i)
                planes[n].pixels()[i] = static_cast<uint8_t>(n == 3 ? 200 : 100 + (i * 7) % 120);
        ScriptMemory& m = machine.memory;
        m.setReg32(reg32::kAnimationData, kBase);
        m.setControlWord(control::kInitial);
        m.setReg16(reg16::kColourKey, 8);
        for (uint32_t n = 0; n < AnimationChannels::kChannels; ++n) {
            const uint8_t code = static_cast<uint8_t>(9 + n % 8);
            const uint32_t record =
                kBase + AnimationChannels::kStepRecords + AnimationChannels::kStepRecordSize * code;
            const uint16_t f[8] = {uint16_t(64 * n), 0,   64, 64, uint16_t(64 * n), 100,
                                   uint16_t(64 * n), 200};
            m.setByte(record, AnimationChannels::kCopy | 0x02); // from plane 1 to plane 0
            for (int i = 0; i < 8; ++i) m.setWord(record + 1 + 2 * i, f[i]);
            const uint16_t offset = static_cast<uint16_t>(64 + 4 * n);
            m.setWord(kBase + AnimationChannels::kProgramTable + 2 * n, offset);
            const uint32_t at = kBase + AnimationChannels::kProgramBase + offset;
            m.setByte(at, code);
            m.setByte(at + 1, AnimationChannels::kRestart);
            ArgumentList args;
            for (uint32_t v : {0u, n}) {
                Argument* e = args.beginEntry();
                e->setKind(Argument::kNumber);
                e->setValue(v);
                args.endEntry();
            }
            channels.command(args);
        }
        for (uint32_t n = 0; n < AnimationChannels::kChannels; ++n) {
            ArgumentList args;
            for (uint32_t v : {1u, n}) {
                Argument* e = args.beginEntry();
                e->setKind(Argument::kNumber);
                e->setValue(v);
                args.endEntry();
            }
            channels.command(args);
        }
        cursor.select(0);
        fill();
    }
    // Both effects full: 250 and 25 particles spread down the picture.
    void fill() {
        a.start(1);
        b.start(2);
        for (uint32_t t = 0; t < 260; ++t) a.tick(t);
        for (uint32_t t = 0; t < 30; ++t) b.tick(t);
        ticksSinceFill = 0;
    }
    void tick() {
        cursor.tick();
        channels.tick();
        a.tick(tickNumber);
        b.tick(tickNumber);
        ++tickNumber;
    }

    ScriptMachine machine;
    PlaneSet planes;
    PaletteManager palette;
    NullGraphicsHost host;
    GraphicsCommands graphics;
    AnimationChannels channels;
    AnimatedCursor cursor;
    ParticleStyle flakesFull, petalsFull;
    ParticleEffect a, b;
    uint32_t tickNumber = 0;
    int ticksSinceFill = 0;
};

double memcpySeconds() {
    static std::vector<uint8_t> from(640 * 400, 3), to(640 * 400);
    const auto start = Clock::now();
    for (int i = 0; i < 200; ++i) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / 200;
}

void BM_FullTick(benchmark::State& state) {
    Rig rig;
    const double copy = memcpySeconds();
    double total = 0;
    for (auto _ : state) {
        // The particles would begin to leave after some 140 more ticks.
        if (++rig.ticksSinceFill > 120) rig.fill();
        const auto start = Clock::now();
        rig.tick();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double perTick = total / static_cast<double>(state.iterations());
    state.counters["period_share"] = perTick / 0.015;
    state.counters["memcpy_planes"] = copy > 0 ? perTick / copy : 0;
    state.counters["flakes"] = static_cast<double>(rig.a.live());
}
BENCHMARK(BM_FullTick)->UseManualTime();

} // namespace

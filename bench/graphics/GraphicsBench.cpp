// The rectangle engine on a 640x400 rectangle, each mode beside memcpy of the
// same 256000 bytes in the same run (the "ratio" counter is mode throughput
// over memcpy throughput); the LzssPicture decode of a 640x400 picture beside
// the classic byte-at-a-time decoder on the same stream; and
// one fade tick over the 236 animated entries.

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "SimpleLzss.h"
#include "files/LzssEncoder.h"
#include "graphics/BlockTransfer.h"
#include "graphics/GraphicsHost.h"
#include "graphics/ImageLoader.h"
#include "graphics/NullGraphicsHost.h"
#include "graphics/PaletteManager.h"
#include "graphics/PlaneSet.h"

namespace {

using namespace fer;

constexpr size_t kBytes = 640 * 400;

// Picture-like pixels: runs of colours with the key colour 8 scattered in.
void paint(VramPlane& p, uint32_t seed) {
    std::mt19937 gen(seed);
    uint8_t colour = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        if (gen() % 16 == 0) colour = static_cast<uint8_t>(gen() % 32);
        p.pixels()[i] = colour;
    }
}

struct Rig {
    Rig() {
        planes.allocate();
        paint(planes[2], 1);
        paint(planes[3], 2);
    }
    PlaneSet planes;
    NullGraphicsHost host;
    BlockTransfer blocks{planes, host};
};

// CPU time of this thread: the machine is shared, so wall time would count
// other processes' work.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs op and, alternately, a memcpy of the same number of bytes; reports op's
// time and "ratio" = memcpy time / op time (1.0 = as fast as memcpy).
template <class Op> void againstMemcpy(benchmark::State& state, Op op) {
    std::vector<uint8_t> a(kBytes, 1), b(kBytes);
    double copySeconds = 0;
    double opSeconds = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        std::memcpy(b.data(), a.data(), kBytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
        const double t1 = threadSeconds();
        op();
        benchmark::ClobberMemory();
        const double t2 = threadSeconds();
        copySeconds += t1 - t0;
        opSeconds += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
    state.counters["ratio"] = opSeconds > 0 ? copySeconds / opSeconds : 0;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(kBytes, 1), b(kBytes);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), kBytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void BM_BlockTransfer(benchmark::State& state) {
    Rig rig;
    BlockRequest r;
    r.mode = static_cast<uint32_t>(state.range(0));
    r.w = 640;
    r.h = 400;
    r.src = 2;
    r.dst = 3;
    r.plane3 = 4;
    r.colour = 8;
    againstMemcpy(state, [&] { rig.blocks.blockTransfer(r); });
}

void BM_LzssPictureDecode(benchmark::State& state) {
    PlaneSet planes;
    planes.allocate();
    paint(planes[2], 3);
    std::vector<uint8_t> file(ImageLoader::kLzssHeaderSize);
    file[4] = 640 & 0xFF;
    file[5] = 640 >> 8;
    file[6] = 400 & 0xFF;
    file[7] = 400 >> 8;
    std::vector<uint8_t> coded;
    LzssEncoder().encode({planes[2].pixels(), planes[2].size()}, coded);
    file.insert(file.end(), coded.begin(), coded.end());
    ImageLoader loader(ImageLoader::Format::kLzssPicture);
    Palette palette{};
    // The classic byte-at-a-time ring decoder on the same stream, run beside
    // each load: "vs_classic" is its time over ours (2 = twice as fast).
    test::SimpleLzss classic;
    std::vector<uint8_t> out(kBytes);
    double classicSeconds = 0, ourSeconds = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        classic.decode(coded, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        const double t1 = threadSeconds();
        loader.loadImage(file, palette, planes[0], 0, 0);
        benchmark::ClobberMemory();
        const double t2 = threadSeconds();
        classicSeconds += t1 - t0;
        ourSeconds += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
    state.counters["vs_classic"] = ourSeconds > 0 ? classicSeconds / ourSeconds : 0;
}

// One tick of a fade from black to white at speed 0xFF: every one of the 708
// channels moves. Restarted before it reaches the target.
void BM_FadeTick(benchmark::State& state) {
    PaletteManager palette;
    Palette white;
    white.fill({255, 255, 255, 0});
    const Palette black{};
    palette.writeTarget(white);
    palette.computeSteps(PaletteManager::kStepOne);
    int n = 0;
    for (auto _ : state) {
        if (++n == 250) {
            n = 0;
            state.PauseTiming();
            palette.writeTarget(black);
            palette.applyRange(0, PaletteManager::kAnimatedEntries);
            palette.writeTarget(white);
            palette.computeSteps(PaletteManager::kStepOne);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(palette.fadeTick(0, PaletteManager::kAnimatedEntries));
    }
}

} // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_BlockTransfer)->Arg(0)->Arg(1)->Arg(3)->Arg(6)->ArgName("mode")->UseManualTime();
BENCHMARK(BM_LzssPictureDecode)->UseManualTime();
BENCHMARK(BM_FadeTick);

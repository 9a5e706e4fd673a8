// The map's hot paths, each beside a same-run baseline (the "x_baseline"
// counter is the map's time over the baseline's time):
// - WriteSub of the full 40 x 25 view with characters and roofs, beside
//   1000 plain 16 x 16 block copies (the rectangle engine, mode 0);
// - WriteSub of an unchanged frame (nothing to redraw), beside the same;
// - a computed path across a 128 x 156 maze (the walk started by op 15:
//   the grid built from the map and the search), in microseconds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <random>

#include "MapLayout.h"
#include "core/ScriptMemory.h"
#include "graphics/BlockTransfer.h"
#include "graphics/GraphicsHost.h"
#include "graphics/NullGraphicsHost.h"
#include "map/MapEngine.h"

namespace {

using namespace fer;

class NullMapHost : public MapHost {
  public:
    bool keyDown(int) override { return false; }
    void pointerPosition(int& x, int& y) override { x = y = 0; }
    void present(int, int, int, int) override {}
    bool skipMovement() const override { return false; }
    void fatalError(std::string_view, std::string_view) override {}
};

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Rig {
    explicit Rig(const mapgen::MapLayout& layout) {
        planes.allocate();
        std::mt19937 gen(5);
        for (int p : {2, 3, 5})
            for (size_t i = 0; i < planes[p].size(); ++i)
                planes[p].pixels()[i] = static_cast<uint8_t>(gen() % 24);
        const mapgen::EncodedMap e = mapgen::encode(layout);
        constexpr uint32_t kAt = 0x10000;
        std::copy(e.bytes.begin(), e.bytes.end(), memory.data() + ScriptMemory::kCodeBase + kAt);
        memory.setReg32(reg32::kCodeAddress, ScriptMemory::kCodeBase);
        memory.setReg32(reg32::kMapBlock, kAt + e.mapBlock);
        memory.setReg32(reg32::kObjectBlock, kAt + e.objectBlock);
        memory.setReg32(reg32::kTriggerTable, kAt + e.triggerTable);
        memory.setReg16(reg16::kColourKey, 8);
        for (uint32_t op : {0u, 2u, 6u, 10u}) engine.operation(op, 0, 0, 0);
    }
    ScriptMemory memory;
    PlaneSet planes;
    NullMapHost host;
    NullGraphicsHost graphicsHost;
    MapEngine engine{memory, planes, host};
    BlockTransfer blocks{planes, graphicsHost};

    // The baseline: 1000 plain tile copies from sheet A to the screen.
    void thousandCopies() {
        BlockRequest r;
        r.w = 16;
        r.h = 16;
        r.src = 2;
        r.dst = 0;
        for (int n = 0; n < 1000; ++n) {
            r.sx = static_cast<uint16_t>(16 * ((n * 7) % 40));
            r.sy = static_cast<uint16_t>(16 * ((n * 3) % 25));
            r.dx = static_cast<uint16_t>(16 * (n % 40));
            r.dy = static_cast<uint16_t>(16 * (n / 40));
            blocks.blockTransfer(r);
        }
    }
};

// A town: varied ground, roofs over a fifth of the cells, eight characters.
mapgen::MapLayout town() {
    mapgen::MapLayout m(40, 25, 0);
    std::mt19937 gen(9);
    for (auto& c : m.cells)
        c = mapgen::cellBits(uint16_t(gen() % 400),
                             gen() % 5 == 0 ? uint16_t(400 + gen() % 100) : mapgen::kNoTile);
    m.sprites = {mapgen::sequentialSprite(500), mapgen::sequentialSprite(600)};
    m.programs = {{0x9F, 0x00}};
    for (int i = 0; i < 8; ++i)
        m.objects.push_back({.flags = uint8_t(i == 3 ? 0x05 : 0x01),
                             .sprite = uint8_t(i % 2),
                             .x = uint16_t(3 + 4 * i),
                             .y = uint16_t(4 + 2 * i)});
    return m;
}

template <class Op> void againstBaseline(benchmark::State& state, Rig& rig, Op op) {
    double baseline = 0, measured = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        rig.thousandCopies();
        benchmark::ClobberMemory();
        const double t1 = threadSeconds();
        op();
        benchmark::ClobberMemory();
        const double t2 = threadSeconds();
        baseline += t1 - t0;
        measured += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.counters["x_baseline"] = baseline > 0 ? measured / baseline : 0;
    state.counters["cells"] = rig.engine.cellsDrawn();
}

void BM_WriteSubFullView(benchmark::State& state) {
    Rig rig(town());
    againstBaseline(state, rig, [&] {
        rig.engine.operation(3, 0, 0, 0);
        rig.engine.operation(11, 0, 0, 0);
    });
}

void BM_WriteSubUnchangedFrame(benchmark::State& state) {
    Rig rig(town());
    againstBaseline(state, rig, [&] { rig.engine.operation(11, 0, 0, 0); });
}

// A maze of one-cell corridors over the whole 128 x 156 grid, walked by a
// one-cell character from one corner to the other.
mapgen::MapLayout maze() {
    constexpr int W = 128, H = 156;
    mapgen::MapLayout m(W, H, 0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) m.wall(x, y);
    std::mt19937 gen(3);
    std::vector<std::pair<int, int>> stack{{1, 1}};
    m.cell(1, 1) &= ~0x800000u;
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        std::pair<int, int> next[4];
        int n = 0;
        const int d[4][2] = {{2, 0}, {-2, 0}, {0, 2}, {0, -2}};
        for (const auto& s : d) {
            const int nx = x + s[0], ny = y + s[1];
            if (nx > 0 && ny > 0 && nx < W - 1 && ny < H - 1 && (m.cell(nx, ny) & 0x800000u))
                next[n++] = {nx, ny};
        }
        if (n == 0) {
            stack.pop_back();
            continue;
        }
        const auto [nx, ny] = next[gen() % n];
        m.cell((x + nx) / 2, (y + ny) / 2) &= ~0x800000u;
        m.cell(nx, ny) &= ~0x800000u;
        stack.push_back({nx, ny});
    }
    m.programs = {{0x9F, 0x00}};
    m.sprites = {mapgen::sequentialSprite(500)};
    m.objects = {{.flags = 0x59, .width = 1, .height = 1, .x = 1, .y = 1}};
    return m;
}

void BM_PathOnMaze(benchmark::State& state) {
    Rig rig(maze());
    int length = 0;
    for (auto _ : state) {
        rig.engine.operation(15, 0, 125, 153);
        length = rig.engine.walkers().path().length();
        rig.engine.operation(16, 0, 0, 0);
    }
    state.counters["path_steps"] = length;
    state.SetLabel(length > 0 ? "path found" : "NO PATH");
}

} // namespace

BENCHMARK(BM_WriteSubFullView)->UseManualTime();
BENCHMARK(BM_WriteSubUnchangedFrame)->UseManualTime();
BENCHMARK(BM_PathOnMaze)->Unit(benchmark::kMicrosecond);

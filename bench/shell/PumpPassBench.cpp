// The cost of one pass of the message pump while a palette fade runs on the
// timer thread and the script presents what it draws, in both backends (the
// window under SDL's dummy video driver). "SyncPoint" is the engine as it is:
// presents are collected and shown once at the end of the pass. The same-run
// baseline "Immediate" shows every present at once, as the engine did before
// the sync point: each present an upload and a frame of its own.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "files/SettingsFile.h"
#include "graphics/PaletteManager.h"
#include "graphics/PlaneSet.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/MainWindow.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"
#include "shell/TimerThread.h"
#if FER_HAVE_SDL
#include "platform/sdl/SdlPlatform.h"
#endif

namespace fer {
namespace {

enum class Backend { kHeadless, kSdl };

std::unique_ptr<Platform> makePlatform(Backend backend) {
#if FER_HAVE_SDL
    if (backend == Backend::kSdl) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        SdlOptions options;
        options.scale = 1;
        std::string error;
        auto p = SdlPlatform::create(options, error);
        if (p) p->openWindow("bench", engineMenu(false));
        return p;
    }
#endif
    (void)backend;
    return std::make_unique<HeadlessPlatform>(std::vector<TimedEvent>{}, std::nullopt);
}

// The engine's pieces around the pump, with a fade that never ends: each
// time one finishes the next starts towards the other colour.
struct Pass {
    explicit Pass(Backend backend)
        : platform(makePlatform(backend)), settingsFile("/nonexistent/bench.ini"),
          settings(settingsFile), screen(*platform, planes),
          window(*platform, timer, settings, screen) {
        planes.allocate();
        for (size_t i = 0; i < planes[0].size(); ++i) planes[0].pixels()[i] = uint8_t(i % 236);
        window.create("bench", false);
        timer.addTick([this] { palette.timerTick(); });
        timer.start();
        timer.setPaused(false);
    }
    ~Pass() { timer.stop(); }

    void keepFading() {
        if (palette.fadeActive()) return;
        Palette target{};
        white = !white;
        for (size_t i = 0; i < PaletteManager::kAnimatedEntries; ++i)
            target[i] = white ? PaletteEntry{255, 255, 255, 0} : PaletteEntry{0, 0, 64, 0};
        palette.writeTarget(target);
        palette.computeSteps(16);
        palette.startFade(0, PaletteManager::kAnimatedEntries);
    }
    // What the sync point does with the fade's colours.
    void showPaletteChanges() {
        if (!palette.takeChange(colours)) return;
        screen.setPalette(colours);
        screen.present(0, 0, 640, 400);
    }

    std::unique_ptr<Platform> platform;
    SettingsFile settingsFile;
    PlayerSettings settings;
    TimerThread timer;
    PlaneSet planes;
    Screen screen;
    MainWindow window;
    PaletteManager palette;
    Palette colours{};
    bool white = false;
};

template <bool kSyncPoint>
void pumpPass(benchmark::State& state, Backend backend, int presentsPerPass) {
    Pass pass(backend);
    if (!pass.platform) {
        state.SkipWithError("no window backend");
        return;
    }
    pass.window.onPassEnd([&] {
        pass.showPaletteChanges();
        pass.screen.flush();
    });
    int x = 0;
    for (auto _ : state) {
        pass.keepFading();
        for (int i = 0; i < presentsPerPass; ++i) {
            // A character cell of typed text, moving along the line.
            pass.screen.present(x, 300 + 16 * i, 16, 16);
            if (!kSyncPoint) pass.screen.flush();
        }
        x = (x + 16) % 624;
        if (!kSyncPoint) pass.showPaletteChanges(), pass.screen.flush();
        pass.window.pump();
    }
    state.counters["uploads/pass"] = benchmark::Counter(
        static_cast<double>(pass.screen.uploads()) / static_cast<double>(state.iterations()));
}

void BM_PumpPass_Headless_SyncPoint(benchmark::State& s) {
    pumpPass<true>(s, Backend::kHeadless, 1);
}
void BM_PumpPass_Headless_Immediate(benchmark::State& s) {
    pumpPass<false>(s, Backend::kHeadless, 1);
}
BENCHMARK(BM_PumpPass_Headless_SyncPoint)->MinTime(1.0);
BENCHMARK(BM_PumpPass_Headless_Immediate)->MinTime(1.0);

#if FER_HAVE_SDL
void BM_PumpPass_Sdl_SyncPoint(benchmark::State& s) {
    pumpPass<true>(s, Backend::kSdl, static_cast<int>(s.range(0)));
}
void BM_PumpPass_Sdl_Immediate(benchmark::State& s) {
    pumpPass<false>(s, Backend::kSdl, static_cast<int>(s.range(0)));
}
// One text cell a pass (a message being typed), and three (text, a number
// and a block transfer's rectangle in one pass).
BENCHMARK(BM_PumpPass_Sdl_SyncPoint)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_PumpPass_Sdl_Immediate)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
#endif

} // namespace
} // namespace fer

BENCHMARK_MAIN();

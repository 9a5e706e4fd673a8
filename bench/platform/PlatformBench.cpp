// Presentation and the idle pump of both backends, beside baselines of the
// same work without the platform: a copy of the plane's bytes, a copy of the
// 32-bit picture's bytes, and one read of the clock. The window runs under
// SDL's dummy video driver unless SDL_VIDEODRIVER names another.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/MenuModel.h"
#include "platform/headless/HeadlessPlatform.h"
#if FER_HAVE_SDL
#include "platform/sdl/SdlPlatform.h"
#endif

namespace fer {
namespace {

struct Picture {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(640 * 400);
    std::array<PaletteEntry, 256> palette{};
    Picture() {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(i * 7 + i / 640);
        for (int i = 0; i < 256; ++i)
            palette[static_cast<size_t>(i)] = {static_cast<uint8_t>(i),
                                               static_cast<uint8_t>(255 - i),
                                               static_cast<uint8_t>(i * 3), 0};
    }
    PlaneView view() const { return {pixels.data(), 640, 400, 640}; }
};

void BM_Baseline_CopyPlaneBytes(benchmark::State& state) {
    Picture picture;
    std::vector<uint8_t> out(picture.pixels.size());
    for (auto _ : state) {
        std::memcpy(out.data(), picture.pixels.data(), out.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400);
}
BENCHMARK(BM_Baseline_CopyPlaneBytes);

void BM_Baseline_CopyArgbBytes(benchmark::State& state) {
    std::vector<uint32_t> in(640 * 400, 0xFF123456u), out(640 * 400);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), out.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400 * 4);
}
BENCHMARK(BM_Baseline_CopyArgbBytes);

void BM_Baseline_ClockRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(std::chrono::steady_clock::now());
}
BENCHMARK(BM_Baseline_ClockRead);

void BM_Headless_PresentFull(benchmark::State& state) {
    Picture picture;
    HeadlessPlatform platform({}, std::nullopt);
    for (auto _ : state) platform.present(picture.view(), picture.palette, 0, 0, 640, 400);
}
BENCHMARK(BM_Headless_PresentFull);

void BM_Headless_PumpIdle(benchmark::State& state) {
    HeadlessPlatform platform({}, std::nullopt);
    platform.startClock();
    PlatformEvent e;
    for (auto _ : state) benchmark::DoNotOptimize(platform.nextEvent(e));
}
BENCHMARK(BM_Headless_PumpIdle);

#if FER_HAVE_SDL
std::unique_ptr<SdlPlatform> openWindow(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    std::string error;
    SdlOptions options;
    options.scale = 1;
    auto platform = SdlPlatform::create(std::move(options), error);
    if (!platform) {
        state.SkipWithError(error.c_str());
        return nullptr;
    }
    platform->openWindow("bench", engineMenu(true));
    return platform;
}

// The whole present: palette lookup into the streaming texture, and the
// frame with the menu bar shown at most once per frame interval (10 ms), so
// a run of presents pays for the frames the screen can show, beside the
// copies of the converted frame (BM_Baseline_CopyArgbBytes).
void BM_Sdl_PresentFull(benchmark::State& state) {
    auto platform = openWindow(state);
    if (!platform) return;
    Picture picture;
    for (auto _ : state) platform->present(picture.view(), picture.palette, 0, 0, 640, 400);
}
BENCHMARK(BM_Sdl_PresentFull)->Unit(benchmark::kMicrosecond);

// The whole present during a fade: every present brings a new palette.
void BM_Sdl_PresentFullNewPalette(benchmark::State& state) {
    auto platform = openWindow(state);
    if (!platform) return;
    Picture picture;
    uint8_t step = 0;
    for (auto _ : state) {
        picture.palette[0].red = ++step;
        platform->present(picture.view(), picture.palette, 0, 0, 640, 400);
    }
}
BENCHMARK(BM_Sdl_PresentFullNewPalette)->Unit(benchmark::kMicrosecond);

// A text-sized present (one 16x16 character cell).
void BM_Sdl_PresentCharacterCell(benchmark::State& state) {
    auto platform = openWindow(state);
    if (!platform) return;
    Picture picture;
    for (auto _ : state) platform->present(picture.view(), picture.palette, 100, 300, 16, 16);
}
BENCHMARK(BM_Sdl_PresentCharacterCell)->Unit(benchmark::kMicrosecond);

void BM_Sdl_PumpIdle(benchmark::State& state) {
    auto platform = openWindow(state);
    if (!platform) return;
    PlatformEvent e;
    while (platform->nextEvent(e)) {
    } // what opening the window queued
    for (auto _ : state) benchmark::DoNotOptimize(platform->nextEvent(e));
}
BENCHMARK(BM_Sdl_PumpIdle);
#endif

} // namespace
} // namespace fer

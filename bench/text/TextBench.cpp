// A 40-character line of double-byte text drawn into a plane with the
// installed font, glyphs cached per (code, size, style), beside the copy of
// one 16x16 block per character; and the same line with every glyph
// rasterised afresh (an empty cache).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/TextRenderer.h"
#include "platform/freetype/TextFontLoader.h"

namespace fer {
namespace {

constexpr int kChars = 40;

struct PrintErrors : FatalErrorHandler {
    void fatalError(std::string_view title, std::string_view text) override {
        std::fprintf(stderr, "%.*s: %.*s\n", int(title.size()), title.data(), int(text.size()),
                     text.data());
    }
};

// 40 different GB2312 ideographs (rows 0xB0..0xB1).
std::vector<uint16_t> lineCodes() {
    std::vector<uint16_t> codes;
    for (int i = 0; i < kChars; ++i) codes.push_back(static_cast<uint16_t>(0xB0A1 + i * 2));
    return codes;
}

std::unique_ptr<TextRenderer> makeRenderer(benchmark::State& state) {
    PrintErrors errors;
    auto font = loadTextFont(kGb2312Variant, "", errors);
    if (!font) {
        state.SkipWithError("no font");
        return nullptr;
    }
    auto renderer = std::make_unique<TextRenderer>(kGb2312Variant, std::move(font));
    if (!renderer->initialise(errors)) {
        state.SkipWithError("no CP936 conversion");
        return nullptr;
    }
    Palette screen;
    for (int i = 0; i < 256; ++i) screen[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    renderer->refreshTextColours(screen);
    renderer->setColours(0x00F0);
    return renderer;
}

void BM_DrawLineCached(benchmark::State& state) {
    auto renderer = makeRenderer(state);
    if (!renderer) return;
    VramPlane plane(640, 400);
    const std::vector<uint16_t> codes = lineCodes();
    for (auto _ : state) {
        for (int i = 0; i < kChars; ++i) renderer->drawChar(plane, codes[i], 16 * i, 100, 3);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kChars);
}
BENCHMARK(BM_DrawLineCached)->Unit(benchmark::kMicrosecond);

void BM_DrawLineUncached(benchmark::State& state) {
    auto renderer = makeRenderer(state);
    if (!renderer) return;
    VramPlane plane(640, 400);
    const std::vector<uint16_t> codes = lineCodes();
    for (auto _ : state) {
        renderer->clearGlyphCache();
        for (int i = 0; i < kChars; ++i) renderer->drawChar(plane, codes[i], 16 * i, 100, 3);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kChars);
}
BENCHMARK(BM_DrawLineUncached)->Unit(benchmark::kMicrosecond);

// The baseline: one 16x16 block copied into the plane per character.
void BM_BlockCopyLine(benchmark::State& state) {
    VramPlane plane(640, 400);
    std::vector<uint8_t> block(16 * 16, 0x5A);
    for (auto _ : state) {
        for (int i = 0; i < kChars; ++i)
            for (int j = 0; j < 16; ++j)
                std::memcpy(plane.row(100 + j) + 16 * i, &block[16 * j], 16);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kChars);
}
BENCHMARK(BM_BlockCopyLine)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace fer

BENCHMARK_MAIN();

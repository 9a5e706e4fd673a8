// The interpreter on a tight loop (a 16-bit register increment and a
// conditional jump back, 65536 times), pumping the headless window once per
// instruction as the engine does, beside a plain C++ loop doing the same
// arithmetic. Reported as instructions per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/EngineContext.h"

namespace {

const std::vector<uint8_t> kLoop = {
    0x04, 0x01, 0x80, 0x01, 0x01, 0xE0, 0xFF, 0x00, // r16[1] = r16[1] + 1
    0x09, 0x80, 0x01, 0x00, 0xEF, 0xFF,             // if r16[1] == 0 go on, else
    0x00, 0x00, 0x00, 0x00,                         //   jump back to 0
    0x00,                                           // end
};
constexpr int64_t kInstructionsPerRun = 65536 * 2 + 1;

void BM_InterpreterLoop(benchmark::State& state) {
    fer::CommandLine options;
    options.headless = true;
    auto platform =
        std::make_unique<fer::HeadlessPlatform>(std::vector<fer::TimedEvent>{}, std::nullopt);
    fer::EngineContext context(options, fer::kGb2312Variant, std::move(platform));
    context.window().create("bench", false);
    context.platform().startClock();
    context.machine().reset();
    std::copy(kLoop.begin(), kLoop.end(), context.machine().memory.data() + 0x1000);
    for (auto _ : state) {
        context.machine().setPc(0x1000);
        context.machine().depth = 0;
        context.interpreter().run();
        benchmark::DoNotOptimize(context.machine().memory.reg16(1));
    }
    state.counters["instructions/s"] = benchmark::Counter(
        static_cast<double>(kInstructionsPerRun * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InterpreterLoop)->Unit(benchmark::kMillisecond);

void BM_PlainLoop(benchmark::State& state) {
    for (auto _ : state) {
        uint16_t r = 0;
        do {
            r = static_cast<uint16_t>(r + 1);
            benchmark::DoNotOptimize(r);
        } while (r != 0);
    }
    state.counters["instructions/s"] = benchmark::Counter(
        static_cast<double>(kInstructionsPerRun * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

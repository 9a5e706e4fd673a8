// The interpreter on a tight loop (a 16-bit register increment and a
// conditional jump back, 65536 times), with the engine's own pass over the
// headless window: a pump, then a few passes that only count down while
// nothing waits and the instructions only assign and jump. Beside it, in the
// same run:
// - "Minimal": a plain switch interpreter of the same byte code, with the
//   same checks (every byte read inside the memory, the evaluator's stack
//   kept inside its 1024 values, the count of instructions) and a pump call
//   per instruction that an optimiser cannot see through;
// - "PlainLoop": the loop's arithmetic in C++.
// Reported as instructions per second; the ratio of the first two is what
// the engine's own pass costs above the least an interpreter must do.

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
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

// The least an interpreter of this byte code does: the opcodes and
// expression bytes of the loop only, the memory as one flat array of the
// engine's size, registers inside it, and the same failures (a read past
// the end, a stack over- or underflow) ending the run.
class MinimalInterpreter {
  public:
    static constexpr uint32_t kSize = fer::ScriptMemory::kSize;
    static constexpr uint32_t kReg16Base = fer::ScriptMemory::kReg16Base;
    static constexpr uint32_t kStackSize = 1024;

    MinimalInterpreter() : memory_(std::make_unique<uint8_t[]>(kSize)) {
        std::fill(memory_.get(), memory_.get() + kSize, uint8_t{0});
    }
    uint8_t* memory() { return memory_.get(); }
    uint16_t reg16(uint8_t r) const { return load16(kReg16Base + 2u * r); }
    uint64_t instructions() const { return instructions_; }

    // Runs from pc until opcode 0 or a failure.
    void run(uint32_t pc) {
        uint8_t* m = memory_.get();
        for (;;) {
            if (pump() == 0) return;
            if (pc >= kSize) return fail();
            ++instructions_;
            switch (m[pc++]) {
            case 0x00: return;
            case 0x04: {
                if (pc >= kSize) return fail();
                uint8_t r = m[pc++];
                for (;;) {
                    uint32_t v;
                    if (!evaluate(pc, v)) return fail();
                    store16(kReg16Base + 2u * r, static_cast<uint16_t>(v));
                    ++r;
                    if (pc >= kSize) return fail();
                    if (m[pc++] == 0) break;
                }
                break;
            }
            case 0x09: {
                uint32_t c;
                if (!evaluate(pc, c)) return fail();
                if (pc + 4 > kSize) return fail();
                const uint32_t t = load32(pc);
                pc += 4;
                if (c != 1) pc = 0x1000 + t;
                break;
            }
            default: return fail();
            }
        }
    }

  private:
    // A pump call the optimiser cannot remove or move: one look at a word
    // another thread could change.
    [[gnu::noinline]] int pump() {
        return closed_.load(std::memory_order_relaxed) ? 0 : 1;
    }
    [[gnu::noinline]] void fail() { failed_ = true; }

    bool evaluate(uint32_t& pc, uint32_t& result) {
        const uint8_t* m = memory_.get();
        uint32_t depth = 0;
        auto push = [&](uint32_t v) {
            if (depth >= kStackSize) return false;
            stack_[depth++] = v;
            return true;
        };
        auto pop = [&](uint32_t& v) {
            if (depth == 0) return false;
            v = stack_[--depth];
            return true;
        };
        for (;;) {
            if (pc >= kSize) return false;
            const uint8_t b = m[pc++];
            uint32_t l, r;
            switch (b) {
            case 0x80:
                if (pc >= kSize || !push(reg16(m[pc++]))) return false;
                break;
            case 0xE0:
                if (!pop(r) || !pop(l) || !push(l + r)) return false;
                break;
            case 0xEF:
                if (!pop(r) || !pop(l) || !push(l == r)) return false;
                break;
            case 0xFF:
                if (!pop(result) || depth != 0) return false;
                return true;
            default:
                if (!push(b)) return false;
                break;
            }
        }
    }
    uint16_t load16(uint32_t at) const {
        uint16_t v;
        std::memcpy(&v, memory_.get() + at, 2);
        return v;
    }
    uint32_t load32(uint32_t at) const {
        uint32_t v;
        std::memcpy(&v, memory_.get() + at, 4);
        return v;
    }
    void store16(uint32_t at, uint16_t v) { std::memcpy(memory_.get() + at, &v, 2); }

    std::unique_ptr<uint8_t[]> memory_;
    std::array<uint32_t, kStackSize> stack_{};
    std::atomic<bool> closed_{false};
    bool failed_ = false;
    uint64_t instructions_ = 0;
};

void BM_MinimalInterpreterLoop(benchmark::State& state) {
    MinimalInterpreter machine;
    std::copy(kLoop.begin(), kLoop.end(), machine.memory() + 0x1000);
    for (auto _ : state) {
        machine.run(0x1000);
        benchmark::DoNotOptimize(machine.reg16(1));
    }
    if (machine.instructions() != static_cast<uint64_t>(kInstructionsPerRun) * state.iterations())
        state.SkipWithError("the minimal interpreter ran a different number of instructions");
    state.counters["instructions/s"] = benchmark::Counter(
        static_cast<double>(kInstructionsPerRun * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MinimalInterpreterLoop)->Unit(benchmark::kMillisecond);

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

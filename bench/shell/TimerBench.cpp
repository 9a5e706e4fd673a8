// The timer thread's period over 10 s: the mean and the worst deviation from
// 15 ms, beside a plain sleep_for(15 ms) loop measured the same way.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "shell/TimerThread.h"

namespace {

using Clock = std::chrono::steady_clock;

void report(benchmark::State& state, const std::vector<Clock::time_point>& stamps) {
    double sum = 0, worst = 0;
    for (size_t i = 1; i < stamps.size(); ++i) {
        const double period =
            std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count();
        sum += period;
        worst = std::max(worst, std::abs(period - 15.0));
    }
    const double n = static_cast<double>(stamps.size() - 1);
    state.counters["mean_period_ms"] = sum / n;
    state.counters["worst_jitter_ms"] = worst;
    state.counters["ticks"] = n;
}

void BM_TimerThreadPeriod(benchmark::State& state) {
    for (auto _ : state) {
        std::mutex m;
        std::vector<Clock::time_point> stamps;
        stamps.reserve(800);
        fer::TimerThread timer;
        timer.addTick([&] {
            std::lock_guard lock(m);
            stamps.push_back(Clock::now());
        });
        timer.start();
        timer.setPaused(false);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        timer.stop();
        report(state, stamps);
    }
}
BENCHMARK(BM_TimerThreadPeriod)->Iterations(1)->Unit(benchmark::kSecond);

void BM_SleepLoopPeriod(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<Clock::time_point> stamps;
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < end) {
            stamps.push_back(Clock::now());
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        report(state, stamps);
    }
}
BENCHMARK(BM_SleepLoopPeriod)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();

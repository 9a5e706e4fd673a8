#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "shell/TimerThread.h"

namespace fer {
namespace {

using namespace std::chrono_literals;

TEST(TimerThread, TickRunsHooksInOrderOnlyWhenNotPaused) {
    TimerThread t;
    std::vector<int> order;
    t.addTick([&] { order.push_back(1); });
    t.addTick([&] { order.push_back(2); });
    t.tick(); // created paused
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(t.ticks(), 0u);
    t.setPaused(false);
    t.tick();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(t.ticks(), 1u);
    t.resetTicks();
    EXPECT_EQ(t.ticks(), 0u);
}

TEST(TimerThread, ThreadTicksAboutEvery15MsPausesAndStopsPromptly) {
    TimerThread t;
    std::atomic<int> hookCalls{0};
    t.addTick([&] { hookCalls.fetch_add(1); });
    ASSERT_TRUE(t.start());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(t.ticks(), 0u); // paused from the start
    t.setPaused(false);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(600ms);
    const uint32_t counted = t.ticks();
    const double expected =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count() /
        15.0;
    // Loaded CI machines run late, never early.
    EXPECT_GE(counted, expected * 0.5);
    EXPECT_LE(counted, expected + 2);
    EXPECT_EQ(hookCalls.load(), static_cast<int>(t.totalTicks()));
    t.setPaused(true);
    std::this_thread::sleep_for(40ms);
    const uint32_t paused = t.ticks();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(t.ticks(), paused);
    const auto stopStart = std::chrono::steady_clock::now();
    t.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopStart, 200ms);
}

} // namespace
} // namespace fer

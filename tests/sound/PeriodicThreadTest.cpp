// The periodic thread: its run loop, stop with an unlimited and a limited
// wait, and priorities.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sound/PeriodicThread.h"
#include "sound/PriorityScope.h"
#include "sound/ThreadPriority.h"

namespace fer::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(PeriodicThread, RunsStartHookThenStepsEveryPeriodThenEndHook) {
    std::mutex m;
    std::vector<char> events;
    auto record = [&](char c) {
        std::lock_guard lock(m);
        events.push_back(c);
    };
    PeriodicThread t({[&] { record('s'); }, [&] { record('.'); }, [&] { record('e'); }});
    EXPECT_FALSE(t.isStarted());
    ASSERT_TRUE(t.start(20, PeriodicThread::kWaitForever));
    EXPECT_TRUE(t.isStarted());
    EXPECT_FALSE(t.start(20, 0)); // already running
    std::this_thread::sleep_for(300ms);
    t.stop();
    EXPECT_FALSE(t.isStarted());
    std::lock_guard lock(m);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), 's');
    EXPECT_EQ(events.back(), 'e');
    const auto steps = std::count(events.begin(), events.end(), '.');
    EXPECT_GE(steps, 8); // about 15 in 300 ms
    EXPECT_LE(steps, 20);
}

TEST(PeriodicThread, StepTimeCountsAgainstThePeriod) {
    std::atomic<int> steps{0};
    PeriodicThread t({{},
                      [&] {
                          std::this_thread::sleep_for(15ms);
                          steps.fetch_add(1);
                      },
                      {}});
    ASSERT_TRUE(t.start(20, PeriodicThread::kWaitForever));
    std::this_thread::sleep_for(400ms);
    t.stop();
    // 20 ms per step whatever the step takes: about 20 steps, not 11.
    EXPECT_GE(steps.load(), 15);
    EXPECT_LE(steps.load(), 22);
}

TEST(PeriodicThread, InfiniteStopWaitWaitsForTheLastStepHoweverLong) {
    std::atomic<bool> inStep{false}, stepFinished{false}, ended{false};
    std::atomic<int> logged{0};
    PeriodicThread t({{},
                      [&] {
                          if (stepFinished.load()) return;
                          inStep.store(true);
                          std::this_thread::sleep_for(600ms);
                          stepFinished.store(true);
                      },
                      [&] { ended.store(true); }},
                     [&](std::string_view) { logged.fetch_add(1); });
    ASSERT_TRUE(t.start(10, PeriodicThread::kWaitForever));
    while (!inStep.load()) std::this_thread::sleep_for(1ms);
    const auto t0 = Clock::now();
    t.stop();
    EXPECT_GE(Clock::now() - t0, 400ms);
    EXPECT_TRUE(stepFinished.load());
    EXPECT_TRUE(ended.load());
    EXPECT_EQ(logged.load(), 0);
}

TEST(PeriodicThread, StopWaitRunningOutIsLoggedAndTheThreadStillJoined) {
    std::atomic<bool> inStep{false}, stepFinished{false};
    std::mutex m;
    std::vector<std::string> log;
    PeriodicThread t({{},
                      [&] {
                          if (stepFinished.load()) return;
                          inStep.store(true);
                          std::this_thread::sleep_for(300ms);
                          stepFinished.store(true);
                      },
                      {}},
                     [&](std::string_view text) {
                         std::lock_guard lock(m);
                         log.emplace_back(text);
                     });
    ASSERT_TRUE(t.start(10, 50));
    while (!inStep.load()) std::this_thread::sleep_for(1ms);
    t.stop();
    EXPECT_TRUE(stepFinished.load()); // never cut short
    std::lock_guard lock(m);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("50 ms"), std::string::npos);
}

TEST(PeriodicThread, RestartsAfterStopAndStopsWithoutStartDoNothing) {
    std::atomic<int> starts{0};
    PeriodicThread t({[&] { starts.fetch_add(1); }, {}, {}});
    t.stop();
    ASSERT_TRUE(t.start(5, PeriodicThread::kWaitForever));
    t.stop();
    ASSERT_TRUE(t.start(5, PeriodicThread::kWaitForever));
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(t.isStarted()); // a second start is not stopped by the first stop
    t.stop();
    EXPECT_EQ(starts.load(), 2);
}

TEST(PeriodicThread, PriorityIsKeptBeforeStartAndReadBackWhileRunning) {
    std::atomic<int32_t> seen{99};
    PeriodicThread t({{}, [&] { seen.store(threadPriority(currentThreadId())); }, {}});
    t.setPriority(kThreadPriorityLowest);
    EXPECT_EQ(t.priority(), kThreadPriorityLowest);
    ASSERT_TRUE(t.start(5, PeriodicThread::kWaitForever));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(seen.load(), kThreadPriorityLowest); // lowering is always allowed
    // Raising may be refused; what the thread has is what priority() says.
    t.setPriority(kThreadPriorityHighest);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(seen.load(), t.priority());
    t.stop();
}

TEST(PriorityScope, PutsThePreviousPriorityBack) {
    std::thread worker([] {
        const int32_t id = currentThreadId();
        const int32_t before = threadPriority(id);
        {
            PriorityScope scope(kThreadPriorityHighest);
            EXPECT_EQ(scope.previous(), before);
            EXPECT_EQ(scope.inForce(), threadPriority(id));
            EXPECT_TRUE(scope.inForce() == kThreadPriorityHighest || scope.inForce() == before);
        }
        EXPECT_EQ(threadPriority(id), before);
    });
    worker.join();
}

} // namespace
} // namespace fer::test

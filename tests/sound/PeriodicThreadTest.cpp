// The periodic thread: its run loop, stop with an unlimited and a limited
// wait, and priorities.

#include <gtest/gtest.h>

#include <algorithm>
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

// The starts (and ends) of the steps a thread ran, read step by step, not by
// how many fit into a stretch of wall time: a busy machine delays steps, and
// only delays them.
struct StepTimes {
    std::mutex m;
    std::vector<Clock::time_point> starts, ends;
    size_t count() {
        std::lock_guard lock(m);
        return starts.size();
    }
    void waitFor(size_t steps) {
        while (count() < steps) std::this_thread::sleep_for(1ms);
    }
};

TEST(PeriodicThread, RunsStartHookThenStepsEveryPeriodThenEndHook) {
    std::mutex m;
    std::vector<char> events;
    StepTimes times;
    auto record = [&](char c) {
        std::lock_guard lock(m);
        events.push_back(c);
    };
    PeriodicThread t({[&] { record('s'); },
                      [&] {
                          const auto start = Clock::now();
                          record('.');
                          std::lock_guard lock(times.m);
                          times.starts.push_back(start);
                      },
                      [&] { record('e'); }});
    EXPECT_FALSE(t.isStarted());
    ASSERT_TRUE(t.start(20, PeriodicThread::kWaitForever));
    EXPECT_TRUE(t.isStarted());
    EXPECT_FALSE(t.start(20, 0)); // already running
    times.waitFor(5);
    t.stop();
    EXPECT_FALSE(t.isStarted());
    std::lock_guard lock(m);
    EXPECT_EQ(events.front(), 's');
    EXPECT_EQ(events.back(), 'e');
    EXPECT_GE(std::count(events.begin(), events.end(), '.'), 5);
    // A period apart, less what a busy machine may put between the thread's own
    // clock reading and the step's.
    for (size_t i = 1; i < times.starts.size(); ++i)
        EXPECT_GE(times.starts[i] - times.starts[i - 1], 18ms) << "step " << i;
}

TEST(PeriodicThread, StepTimeCountsAgainstThePeriod) {
    StepTimes times;
    PeriodicThread t({{},
                      [&] {
                          const auto start = Clock::now();
                          std::this_thread::sleep_for(15ms);
                          std::lock_guard lock(times.m);
                          times.starts.push_back(start);
                          times.ends.push_back(Clock::now());
                      },
                      {}});
    ASSERT_TRUE(t.start(20, PeriodicThread::kWaitForever));
    times.waitFor(12);
    t.stop();
    // After a 15 ms step the thread waits what is left of the 20 ms period,
    // about 5 ms, not a whole period: delays only lengthen waits, so the
    // shortest of eleven shows it (a whole period would never be under 20 ms).
    std::lock_guard lock(times.m);
    auto shortest = Clock::duration::max();
    for (size_t i = 1; i < times.starts.size(); ++i)
        shortest = std::min(shortest, times.starts[i] - times.ends[i - 1]);
    EXPECT_LT(shortest, 12ms);
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

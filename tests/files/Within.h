#pragma once
// Runs a step that must not hang: a step still running after the limit
// fails the test and ends the test program, instead of blocking it for ever.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

namespace fer::test {

inline void within(std::chrono::milliseconds limit, const std::function<void()>& step) {
    std::packaged_task<void()> task(step);
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    if (done.wait_for(limit) != std::future_status::ready) {
        ADD_FAILURE() << "still running after " << limit.count() << " ms";
        std::fprintf(stderr, "a step hung; ending the test program\n");
        std::fflush(stderr);
        std::_Exit(1);
    }
    worker.join();
    done.get();
}

} // namespace fer::test

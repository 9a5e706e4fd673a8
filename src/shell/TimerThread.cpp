#include "shell/TimerThread.h"

#include <algorithm>
#include <system_error>

namespace fer {

bool TimerThread::start() {
    if (thread_.joinable()) return true;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    paused_.store(true);
    try {
        thread_ = std::thread([this] { body(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TimerThread::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void TimerThread::tick() {
    if (paused_.load(std::memory_order_acquire)) return;
    for (auto& hook : hooks_) hook();
    tickCount_.fetch_add(1, std::memory_order_relaxed);
    totalTicks_.fetch_add(1, std::memory_order_relaxed);
    lastTickAt_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count(),
                      std::memory_order_relaxed);
}

int TimerThread::millisecondsToNextTick() const {
    using namespace std::chrono;
    const int64_t last = lastTickAt_.load(std::memory_order_relaxed);
    const int period = static_cast<int>(kPeriod.count());
    if (last == 0 || paused()) return period;
    const int64_t now = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    const int64_t left = last + duration_cast<nanoseconds>(kPeriod).count() - now;
    // One millisecond more, so that the tick's hooks have run and it is
    // counted when the waiting thread looks.
    const int64_t ms = (left + 999'999) / 1'000'000 + 1;
    return static_cast<int>(std::clamp<int64_t>(ms, 1, period + 1));
}

void TimerThread::body() {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now();
    std::unique_lock lock(mutex_);
    while (!stopRequested_) {
        lock.unlock();
        tick();
        lock.lock();
        deadline += kPeriod;
        const auto now = Clock::now();
        // After a long stall (a suspended machine), start afresh rather than
        // running a burst of late ticks.
        if (now - deadline > 10 * kPeriod) deadline = now;
        wake_.wait_until(lock, deadline, [this] { return stopRequested_; });
    }
}

} // namespace fer

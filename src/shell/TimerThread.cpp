#include "shell/TimerThread.h"

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

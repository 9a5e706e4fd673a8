#include "sound/PeriodicThread.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <system_error>

#include "sound/ThreadPriority.h"

namespace fer {

namespace {

using Clock = std::chrono::steady_clock;

uint64_t millisecondsSince(Clock::time_point t0) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
}

} // namespace

PeriodicThread::PeriodicThread(Hooks hooks, Log log)
    : hooks_(std::move(hooks)), log_(std::move(log)) {}

PeriodicThread::~PeriodicThread() {
    stop();
}

bool PeriodicThread::start(uint32_t periodMs, uint32_t stopWaitMs) {
    if (thread_.joinable()) return false;
    period_.store(periodMs, std::memory_order_relaxed);
    stopWait_ = stopWaitMs;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
        finished_ = false;
    }
    threadId_.store(0, std::memory_order_release);
    try {
        thread_ = std::thread([this] { entry(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PeriodicThread::entry() {
    {
        // Under the lock, so that a priority set while the thread starts is
        // either applied here or by setPriority, never lost.
        std::lock_guard lock(mutex_);
        const int32_t id = currentThreadId();
        const int32_t wanted = priority_.load(std::memory_order_acquire);
        if (wanted != kThreadPriorityNormal) {
            setThreadPriority(id, wanted);
            priority_.store(threadPriority(id), std::memory_order_release);
        }
        threadId_.store(id, std::memory_order_release);
    }
    run();
    std::lock_guard lock(mutex_);
    finished_ = true;
    finishedSignal_.notify_all();
}

void PeriodicThread::run() {
    if (hooks_.onStart) hooks_.onStart();
    for (;;) {
        const auto t0 = Clock::now();
        if (hooks_.step) hooks_.step();
        const uint64_t periodMs = period_.load(std::memory_order_relaxed);
        const uint64_t elapsed = millisecondsSince(t0);
        const uint64_t wait = periodMs - std::min(elapsed, periodMs);
        std::unique_lock lock(mutex_);
        if (wait == 0) {
            if (stopRequested_) break;
            lock.unlock();
            std::this_thread::yield();
            continue;
        }
        if (stopSignal_.wait_for(lock, std::chrono::milliseconds(wait),
                                 [this] { return stopRequested_; }))
            break;
    }
    if (hooks_.onEnd) hooks_.onEnd();
}

void PeriodicThread::stop() {
    if (!thread_.joinable()) return;
    const auto t0 = Clock::now();
    bool reported = false;
    std::unique_lock lock(mutex_);
    stopRequested_ = true;
    stopSignal_.notify_all();
    while (!finished_) {
        const uint64_t periodMs = std::max<uint32_t>(period_.load(std::memory_order_relaxed), 1);
        finishedSignal_.wait_for(lock, std::chrono::milliseconds(periodMs));
        if (finished_) break;
        if (!reported && stopWait_ != kWaitForever && millisecondsSince(t0) > stopWait_) {
            // The thread is not killed: there is no safe way. Say so and wait on.
            reported = true;
            if (log_) {
                lock.unlock();
                log_("a periodic thread did not stop within " + std::to_string(stopWait_) +
                     " ms; waiting for it to end");
                lock.lock();
            }
        }
    }
    lock.unlock();
    thread_.join();
    std::lock_guard idLock(mutex_);
    threadId_.store(0, std::memory_order_release);
}

void PeriodicThread::setPriority(int32_t priority) {
    std::lock_guard lock(mutex_);
    const int32_t id = threadId_.load(std::memory_order_acquire);
    if (thread_.joinable() && id != 0) {
        setThreadPriority(id, priority);
        priority_.store(threadPriority(id), std::memory_order_release);
    } else {
        priority_.store(priority, std::memory_order_release);
    }
}

} // namespace fer

#pragma once
// A worker thread that runs a step every period until it is asked to stop.
//
// The run loop: the start hook, then repeatedly the step followed by a wait
// of what is left of the period (a yield when nothing is left), ended early
// by a stop request; then the end hook. Stop asks the thread to end and waits
// for it. A thread is never killed from outside: when the stop wait runs out,
// that is logged and the thread is still waited for until it ends. A stop wait
// of kWaitForever is never reported.
//
// start, stop and setPriority belong to the thread that owns the object;
// they must not be called from the worker itself.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

namespace fer {

class PeriodicThread {
  public:
    static constexpr uint32_t kWaitForever = 0xFFFFFFFF;

    struct Hooks {
        std::function<void()> onStart;
        std::function<void()> step;
        std::function<void()> onEnd;
    };
    using Log = std::function<void(std::string_view)>;

    explicit PeriodicThread(Hooks hooks, Log log = {});
    ~PeriodicThread();
    PeriodicThread(const PeriodicThread&) = delete;
    PeriodicThread& operator=(const PeriodicThread&) = delete;

    // Starts the thread with a period and a stop wait in milliseconds; false
    // when it runs already or cannot be created.
    bool start(uint32_t periodMs, uint32_t stopWaitMs);
    // Asks the thread to end and waits until it has (see above).
    void stop();
    // With a running thread, applies the priority at once and keeps what the
    // system then reports; without one, keeps it for the next start.
    void setPriority(int32_t priority);
    int32_t priority() const { return priority_.load(std::memory_order_acquire); }
    bool isStarted() const { return thread_.joinable(); }

    uint32_t period() const { return period_.load(std::memory_order_relaxed); }
    uint32_t stopWait() const { return stopWait_; }

  private:
    void entry();
    void run();

    Hooks hooks_;
    Log log_;
    std::atomic<uint32_t> period_{0};
    uint32_t stopWait_ = kWaitForever;
    std::atomic<int32_t> priority_{0};
    std::atomic<int32_t> threadId_{0}; // the worker's kernel id, 0 before it runs
    std::mutex mutex_;
    std::condition_variable stopSignal_;
    std::condition_variable finishedSignal_;
    bool stopRequested_ = false; // guarded by mutex_
    bool finished_ = false;      // guarded by mutex_
    std::thread thread_;
};

} // namespace fer

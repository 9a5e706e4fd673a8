#pragma once
// The timer thread: every 15 ms, unless paused, it runs the tick hooks in the
// order they were added (palette fade, cursor, animation, particles) and
// counts a tick. Deadlines are absolute, so the period does not drift. Every
// value it shares with the main thread is atomic; the hooks themselves
// record what must be shown and leave the showing to the main thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace fer {

class TimerThread {
  public:
    static constexpr std::chrono::milliseconds kPeriod{15};

    TimerThread() = default;
    ~TimerThread() { stop(); }
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    // Hooks are added before start.
    void addTick(std::function<void()> hook) { hooks_.push_back(std::move(hook)); }
    // Starts the thread paused. False when it cannot be created.
    bool start();
    // Asks the thread to end and waits until it has.
    void stop();

    void setPaused(bool paused) { paused_.store(paused, std::memory_order_release); }
    bool paused() const { return paused_.load(std::memory_order_acquire); }

    void resetTicks() { tickCount_.store(0, std::memory_order_relaxed); }
    uint32_t ticks() const { return tickCount_.load(std::memory_order_relaxed); }
    // Ticks done since start, never reset (for measurements).
    uint64_t totalTicks() const { return totalTicks_.load(std::memory_order_relaxed); }
    // How long until the next tick has been counted, in whole milliseconds
    // (1 to a period and one; a whole period while paused or before the
    // first tick).
    int millisecondsToNextTick() const;

    // One tick's work, as the thread does it (tests call it directly).
    void tick();

  private:
    void body();

    std::vector<std::function<void()>> hooks_;
    std::atomic<bool> paused_{true};
    std::atomic<uint32_t> tickCount_{0};
    std::atomic<uint64_t> totalTicks_{0};
    // When the last tick was counted, in steady-clock nanoseconds.
    std::atomic<int64_t> lastTickAt_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false; // guarded by mutex_
    std::thread thread_;
};

} // namespace fer

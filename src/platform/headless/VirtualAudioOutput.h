#pragma once
// The headless sound output: no device, but a thread that pulls frames from
// the source at the pace a device would, in real time on the engine's clock,
// so that everything downstream (streaming, fades, recordings) runs as with
// a real device.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"

namespace fer {

class VirtualAudioOutput : public AudioOutput {
  public:
    static constexpr std::chrono::milliseconds kPeriod{10};
    // A pull this much later than due counts as an underrun.
    static constexpr std::chrono::milliseconds kLateLimit{50};

    VirtualAudioOutput() = default;
    ~VirtualAudioOutput() override { close(); }
    VirtualAudioOutput(const VirtualAudioOutput&) = delete;
    VirtualAudioOutput& operator=(const VirtualAudioOutput&) = delete;

    bool open(const AudioFormat& wanted, AudioSource& source, AudioFailure& failure) override;
    void close() override;
    bool isOpen() const override { return thread_.joinable(); }
    AudioFormat format() const override { return format_; }
    void setPaused(bool paused) override { paused_.store(paused, std::memory_order_release); }
    uint64_t framesPulled() const override { return pulled_.load(std::memory_order_acquire); }
    uint64_t underruns() const override { return underruns_.load(std::memory_order_acquire); }
    SchedulingGrant scheduling() const override { return grant_.load(std::memory_order_acquire); }

  private:
    using Clock = std::chrono::steady_clock;
    void body();

    AudioSource* source_ = nullptr; // set before the thread starts, cleared after it ends
    AudioFormat format_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false; // guarded by mutex_
    std::atomic<bool> paused_{false};
    std::atomic<uint64_t> pulled_{0};
    std::atomic<uint64_t> underruns_{0};
    std::atomic<SchedulingGrant> grant_{SchedulingGrant::kNormal};
};

} // namespace fer

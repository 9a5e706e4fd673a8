#include "platform/headless/VirtualAudioOutput.h"

#include <algorithm>

namespace fer {

namespace {
constexpr uint64_t kChunkFrames = 1024;
}

bool VirtualAudioOutput::open(const AudioFormat& wanted, AudioSource& source,
                              AudioFailure& failure) {
    if (isOpen()) {
        failure = {AudioFailureReason::kOther, "the sound output is open already"};
        return false;
    }
    format_.sampleRate = std::clamp(wanted.sampleRate, 8000, 192000);
    format_.channels = std::clamp(wanted.channels, 1, 8);
    source_ = &source;
    paused_.store(true, std::memory_order_release);
    pulled_.store(0, std::memory_order_release);
    underruns_.store(0, std::memory_order_release);
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
    }
    thread_ = std::thread([this] { body(); });
    return true;
}

void VirtualAudioOutput::close() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    source_ = nullptr;
}

void VirtualAudioOutput::body() {
    // Named, so that its processor time can be told apart (top -H, /proc).
    nameCurrentThread("fer-sound-out");
    // A device's deadlines: the pulls must not wait behind busy threads.
    grant_.store(raiseToRealtime(), std::memory_order_release);
    const auto rate = static_cast<uint64_t>(format_.sampleRate);
    std::vector<int16_t> buffer(kChunkFrames * static_cast<size_t>(format_.channels));
    Clock::duration played{0}; // time the device has been playing (not paused)
    Clock::time_point last = Clock::now();
    uint64_t pulled = 0;
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, kPeriod, [this] { return stop_; });
        if (stop_) break;
        const Clock::time_point now = Clock::now();
        const Clock::duration step = now - last;
        last = now;
        if (paused_.load(std::memory_order_acquire)) continue;
        played += step;
        if (step > kPeriod + kLateLimit) underruns_.fetch_add(1, std::memory_order_acq_rel);
        const uint64_t due = static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(played).count() * rate /
            1000000);
        lock.unlock();
        while (pulled < due) {
            const uint64_t frames = std::min(kChunkFrames, due - pulled);
            source_->render({buffer.data(), static_cast<size_t>(frames) * static_cast<size_t>(format_.channels)},
                            format_);
            pulled += frames;
            pulled_.store(pulled, std::memory_order_release);
        }
        lock.lock();
    }
}

} // namespace fer

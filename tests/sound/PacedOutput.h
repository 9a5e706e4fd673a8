#pragma once
// A stand-in for the audio output in the sound tests: a thread that pulls
// the mixer in real time (every 5 ms, what is due) and keeps everything it
// pulled, so a test can look at what was heard and when.

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "ToneWave.h"
#include "sound/AudioMixer.h"

namespace fer::test {

class PacedOutput {
  public:
    using Clock = std::chrono::steady_clock;

    explicit PacedOutput(AudioMixer& mixer, AudioFormat format = {}) : mixer_(mixer), format_(format) {
        mixer_.setOutputFormat(format_);
        start_ = Clock::now();
        thread_ = std::thread([this] { body(); });
    }
    ~PacedOutput() { stop(); }

    void stop() {
        stop_.store(true);
        if (thread_.joinable()) thread_.join();
    }
    // Seconds since the output started: the recording's time axis.
    double now() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
    Recording recording() {
        std::lock_guard guard(lock_);
        return recording_;
    }

  private:
    void body() {
        std::vector<int16_t> block;
        uint64_t pulled = 0;
        while (!stop_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const auto due = static_cast<uint64_t>(now() * format_.sampleRate);
            if (due <= pulled) continue;
            block.assign((due - pulled) * static_cast<size_t>(format_.channels), 0);
            mixer_.render(block, format_);
            pulled = due;
            std::lock_guard guard(lock_);
            recording_.samples.insert(recording_.samples.end(), block.begin(), block.end());
        }
    }

    AudioMixer& mixer_;
    AudioFormat format_;
    Clock::time_point start_;
    std::mutex lock_;
    Recording recording_{format_.sampleRate, format_.channels, {}};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace fer::test

#pragma once
// The sound device that SDL finds (PulseAudio, PipeWire, ALSA...;
// SDL_AUDIODRIVER chooses another). SDL's audio thread pulls the source
// through the device callback.

#include <atomic>
#include <cstdint>

#include "platform/AudioOutput.h"

namespace fer {

class SdlAudioOutput : public AudioOutput {
  public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() override { close(); }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    bool open(const AudioFormat& wanted, AudioSource& source, AudioFailure& failure) override;
    void close() override;
    bool isOpen() const override { return device_ != 0; }
    AudioFormat format() const override { return format_; }
    void setPaused(bool paused) override;
    uint64_t framesPulled() const override { return pulled_.load(std::memory_order_acquire); }
    uint64_t underruns() const override { return underruns_.load(std::memory_order_acquire); }
    SchedulingGrant scheduling() const override { return grant_.load(std::memory_order_acquire); }

  private:
    friend struct SdlAudioCallback;
    void fill(int16_t* samples, size_t count);
    void raiseCallbackThread();

    bool subsystemStarted_ = false;
    uint32_t device_ = 0; // SDL_AudioDeviceID
    AudioSource* source_ = nullptr; // set before the device starts, cleared after it closes
    AudioFormat format_;
    uint32_t bufferFrames_ = 0;
    std::atomic<uint64_t> pulled_{0};
    std::atomic<uint64_t> underruns_{0};
    std::atomic<uint64_t> lastCallbackTicks_{0};
    std::atomic<bool> raised_{false}; // the callback's thread has asked for its scheduling
    std::atomic<SchedulingGrant> grant_{SchedulingGrant::kNormal};
};

} // namespace fer

#pragma once
// The engine's mixer: what the audio output plays. Every playing ring is
// converted to the output's format (channels mapped, rate converted without
// aliasing), scaled by its gain, summed in float and clipped once to 16 bits.
//
// It runs on the output's thread and never waits for the script thread: the
// list of rings is copied under a lock held only for that copy and for
// adding or removing a ring, and each ring's bytes are locked only for the
// copy out of it.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "core/AudioSource.h"
#include "sound/SoundBuffer.h"

namespace fer {

class AudioMixer : public AudioSource {
  public:
    static constexpr size_t kBlockFrames = 1024;
    static constexpr size_t kMaxBuffers = 64;
    static constexpr size_t kMaxFilters = 16; // rates whose coefficients are kept

    AudioMixer();

    // The output's format, once it is open; until then no buffer is made.
    void setOutputFormat(const AudioFormat& format);
    bool hasOutput() const;
    AudioFormat outputFormat() const;

    // A ring of `bytes` in that PCM format, mixed from now on until removed;
    // nullptr without an output, for a format it cannot play, or when
    // kMaxBuffers rings exist.
    std::shared_ptr<SoundBuffer> createBuffer(const WaveFormat& format, uint32_t bytes);
    // No longer mixed (the mixer may finish the pass it is in).
    void remove(const std::shared_ptr<SoundBuffer>& buffer);

    void render(std::span<int16_t> out, const AudioFormat& format) override;

  private:
    mutable std::mutex lock_; // guards the fields below; never held while mixing
    bool hasOutput_ = false;
    AudioFormat format_;
    std::vector<std::shared_ptr<SoundBuffer>> buffers_;
    // The rate converters' coefficients made so far, one per input rate.
    std::vector<std::shared_ptr<const ResamplerFilter>> filters_;
    // The output thread's own.
    std::array<std::shared_ptr<SoundBuffer>, kMaxBuffers> snapshot_;
    std::vector<float> sum_;
};

} // namespace fer

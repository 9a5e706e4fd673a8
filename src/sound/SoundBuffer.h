#pragma once
// A track's ring of PCM in its own format, played by the mixer: the stand-in
// for a device's looping sound buffer. The mixer consumes it from the play
// cursor on and advances the cursor; the track's streaming thread writes
// ahead of it between lock and unlock. The write cursor lies a little ahead
// of the play cursor: the bytes from the play cursor up to it may be read by
// the mixer at any moment and must not be written.
//
// The ring's bytes are guarded by a lock of their own held only for a copy
// (the streaming thread's write of at most one second, the mixer's read of a
// few hundred frames); the play state, the cursor and the volume are atomic,
// so the script thread never holds anything the mixer waits for.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "core/AudioSource.h"
#include "sound/Resampler.h"
#include "sound/WaveFormat.h"

namespace fer {

using ResamplerFilter = Resampler::Filter;

class SoundBuffer {
  public:
    // The two parts of a locked range: the second is empty unless the range
    // wraps round the end of the ring.
    struct Locked {
        std::span<uint8_t> first;
        std::span<uint8_t> second;
    };

    // format: PCM, 1 to 8 channels, 8, 16, 24 or 32 bits. bytes: a whole
    // number of frames. output: the mixer's output format.
    // filter: the rate converter's coefficients for this format's rate and
    // the output's, shared with other rings (made here when null).
    SoundBuffer(const WaveFormat& format, uint32_t bytes, const AudioFormat& output,
                std::shared_ptr<const ResamplerFilter> filter = nullptr);
    // The converter's coefficients, or null when the rates are the same.
    std::shared_ptr<const ResamplerFilter> filter() const;
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    const WaveFormat& format() const { return format_; }
    uint32_t size() const { return static_cast<uint32_t>(ring_.size()); }

    // Plays from the play cursor on, round and round. 0.
    int play();
    // The mixer reads no more; the cursor stays. 0.
    int stop();
    bool playing() const { return playing_.load(std::memory_order_acquire); }
    // The play cursor and the write cursor. 0.
    int position(uint32_t& play, uint32_t& write) const;
    // Attenuation in hundredths of a decibel, -10000 to 0; anything else is
    // refused with -1. 0 when set.
    int setVolume(int32_t attenuation);
    int32_t volume() const { return attenuation_.load(std::memory_order_acquire); }
    // A gain of the player's choice on top of the attenuation (1 = as is).
    void setPlayerGain(float gain) { playerGain_.store(gain, std::memory_order_release); }

    // Locks `bytes` bytes of the ring from offset for writing; every lock is
    // followed by one unlock, on the same thread.
    Locked lock(uint32_t offset, uint32_t bytes);
    void unlock();

    // The mixer: adds what plays next, converted to the output format and
    // at the buffer's gain, to `frames` interleaved frames of sum. Only the
    // mixer's thread calls it.
    void mixInto(float* sum, size_t frames);

    // The bytes a silent ring of this format holds.
    uint8_t silenceByte() const { return format_.bitsPerSample == 8 ? 0x80 : 0x00; }

  private:
    // Reads up to `frames` frames from the play cursor as floats in the
    // output's channels; 0 while stopped.
    size_t pull(float* destination, size_t frames);

    WaveFormat format_;
    AudioFormat output_;
    uint32_t frameBytes_;
    uint32_t lead_; // bytes from the play cursor to the write cursor
    std::vector<uint8_t> ring_;
    std::mutex ringLock_;
    std::atomic<bool> playing_{false};
    std::atomic<uint32_t> playCursor_{0};
    std::atomic<int32_t> attenuation_{0};
    std::atomic<float> playerGain_{1.0f};
    // The mixer's own: the converter to the output rate and its scratch.
    std::unique_ptr<Resampler> resampler_;
    // The output channels one converted channel goes to: all of them for a
    // mono ring that is resampled, else 1.
    uint32_t spreadChannels_ = 1;
    std::vector<float> converted_;
};

} // namespace fer

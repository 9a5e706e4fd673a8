#pragma once
// One channel's sound: a wave file decoded on demand (WaveStream), a ring of
// four seconds in the sound's PCM format that the mixer plays (SoundBuffer),
// the streaming thread that keeps the ring filled every 30 ms, the play
// segments of the file's loops, the end of the sound, the pause while the
// application is in the background, and the chain of volume stages that
// fades are made of.
//
// Threads: the script thread creates, starts, fades, stops and deletes a
// track; the streaming thread refills it. The status word, the segment and
// the ring writes are changed under the track's lock by either thread, so no
// change of one is lost to the other; the status word is also kept in an
// atomic for readers without the lock. The stages belong to the script
// thread alone; the buffer's volume is atomic.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "sound/AudioMixer.h"
#include "sound/PeriodicThread.h"
#include "sound/SoundBuffer.h"
#include "sound/WaveStream.h"

namespace fer {

namespace track_status {
inline constexpr uint32_t kEndAfterData = 0x1;      // end when the current data is through
inline constexpr uint32_t kNoAutoEnd = 0x2;         // the caller keeps 0x1 from being added
inline constexpr uint32_t kLoop = 0x4;              // play the file's loops
inline constexpr uint32_t kStreaming = 0x40000;     // streaming started
inline constexpr uint32_t kPlaying = 0x10000000;    // playing
inline constexpr uint32_t kPausedInactive = 0x20000000; // paused while in the background
inline constexpr uint32_t kPauseInactive = 0x40000000;  // pause while in the background
} // namespace track_status

class SoundTrack {
  public:
    static constexpr uint32_t kStreamPeriodMs = 30;
    static constexpr uint32_t kRingSeconds = 4;

    // mixer: where the ring is played. active: whether the application is
    // in the foreground (read by the streaming thread).
    SoundTrack(AudioMixer& mixer, const std::atomic<bool>& active,
               PeriodicThread::Log log = {});
    // Stops the streaming thread first, then takes the ring from the mixer.
    ~SoundTrack();
    SoundTrack(const SoundTrack&) = delete;
    SoundTrack& operator=(const SoundTrack&) = delete;

    // Reads the file's header and prepares PCM output in the file's own
    // channels, rate and bits, then makes the ring. Every failure lands in
    // failures(): a region that cannot be reserved as 0x2, a ring the mixer
    // cannot make (no output) as 0x10. True when the track can play.
    bool prepare(std::shared_ptr<const ByteSource> file);

    // Start playback: the first time, the status word becomes the flags (plus
    // 0x1 when the file has no loops and flags lack 0x2), the first segment is
    // chosen, three seconds are written and the streaming thread starts; then
    // (every time) the ring plays. The buffer's result, -1 without a ring.
    int startPlayback(uint32_t flags);
    // Stops the ring; the segment is the whole sound again; status 0.
    void stopNow();
    // A stage faded to silence over ms, then stop at once and the stage
    // removed; 0 ms stops at once.
    void stopWithFade(uint32_t ms);

    uint32_t status() const { return statusCopy_.load(std::memory_order_acquire); }
    bool isPlaying() const { return (status() & track_status::kPlaying) != 0; }
    FailureWord& failures() { return stream_.failures(); }
    const FailureWord& failures() const { return stream_.failures(); }
    const WaveStream& stream() const { return stream_; }
    const SoundBuffer* buffer() const { return buffer_.get(); }

    // Volume stages (the script thread's). The head (index 0) always exists.
    int pushStage();
    int popStage(int index);
    // index >= 0: sets that stage (-1 when there is none) and, with apply, the
    // ring's volume to the chain; index < 0: the ring's volume directly. The
    // value set, -1 when the ring refused it or there is none; with apply
    // clear the chain value.
    int32_t setStage(int index, int32_t attenuation, bool apply);
    // The same with a loudness; the chain's value as loudness.
    int32_t setStageLoudness(int index, int32_t loudness, bool apply);
    int32_t chainValue() const;
    // Blocks for `ms`: moves the stage (the chain when index < 0) to the
    // target loudness in steps of ms / 50; the chain's value as loudness.
    int32_t fadeStage(int index, int32_t target, uint32_t ms);
    // The player's volume on top of the stages (1 = as is).
    void setPlayerGain(float gain);

    // The streaming thread's step (public for tests that step by hand).
    void step();

  private:
    uint32_t refill();
    uint32_t writeData();
    uint32_t writeSilence();
    uint32_t freeSpace() const;
    void firstSegment();
    void advanceLoop();
    void wholeSound();
    void setStatus(uint32_t status);
    void stopNowLocked();
    bool loopSegment(size_t index);

    AudioMixer& mixer_;
    const std::atomic<bool>& active_;
    WaveStream stream_;
    std::shared_ptr<SoundBuffer> buffer_;
    uint32_t bufferSize_ = 0;
    uint32_t chunkBytes_ = 0; // one second of output
    uint32_t frameBytes_ = 1;
    float playerGain_ = 1.0f;

    std::mutex lock_; // the status word, the segment, the ring writes
    uint32_t status_ = 0;
    std::atomic<uint32_t> statusCopy_{0};
    uint32_t writePos_ = 0;
    uint32_t segmentStart_ = 0; // offset in the decoded sound
    uint32_t segmentLength_ = 0;
    uint32_t segmentPos_ = 0;
    int loopIndex_ = -1;
    uint32_t loopRemaining_ = 0;
    bool draining_ = false;
    uint32_t drainLeft_ = 0;
    bool threadStarted_ = false;
    std::vector<uint8_t> scratch_; // decoded bytes on their way into the ring

    std::vector<int32_t> stages_{0};
    // Last: stopped and joined first in the destructor.
    PeriodicThread streamer_;
};

} // namespace fer

#pragma once
// What the script engine, the menu and the file commands ask of the sound
// subsystem: stop a channel, and report the tracks that failed since the
// last report. The sound manager implements it; SilentSound is the
// implementation for a machine without a sound device and for tests.

#include <cstdint>

namespace fer {

class SoundControl {
  public:
    static constexpr int kVoiceChannel = 2;

    virtual ~SoundControl() = default;
    // Stops channel n with its short fade; 0 when nothing played there.
    virtual int stop(int channel) = 0;
    // Shows the failures of tracks collected since the last call, once.
    virtual void reportFailures() = 0;
    // Asked before every script instruction: whether reportFailures could
    // find anything, that is whether any track is held.
    bool mayHaveFailures() const { return heldTracks_ != 0; }

  protected:
    // One bit per channel holding a track; kept by the implementation.
    uint32_t heldTracks_ = 0;
};

// Nothing plays, so nothing stops and nothing fails.
class SilentSound : public SoundControl {
  public:
    int stop(int) override { return 0; }
    void reportFailures() override {}
};

} // namespace fer

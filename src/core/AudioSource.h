#pragma once
// What an audio output plays: frames of signed 16-bit samples, channels
// interleaved, pulled by the output's own thread as the device needs them.
// The engine's mixer is one; a source must never wait on the main thread.

#include <cstdint>
#include <span>

namespace fer {

struct AudioFormat {
    int sampleRate = 48000;
    int channels = 2;

    friend bool operator==(const AudioFormat&, const AudioFormat&) = default;
};

class AudioSource {
  public:
    virtual ~AudioSource() = default;
    // Fills out (a whole number of frames in format) with what plays next.
    virtual void render(std::span<int16_t> out, const AudioFormat& format) = 0;
};

// Plays nothing.
class SilenceSource : public AudioSource {
  public:
    void render(std::span<int16_t> out, const AudioFormat&) override {
        for (int16_t& s : out) s = 0;
    }
};

} // namespace fer

#pragma once
// Passes what a source plays on and writes a copy of it to a wave file: what
// --audio-out records of everything the engine plays.

#include <atomic>

#include "core/AudioSource.h"
#include "sound/WaveFileWriter.h"

namespace fer {

class RecordingSource : public AudioSource {
  public:
    explicit RecordingSource(AudioSource& inner) : inner_(inner) {}

    // Where the copy goes from now on: a writer in the output's format that
    // outlives the recording, or nullptr. May be set while the output pulls;
    // a writer taken away is only destroyed once the output is closed.
    void setWriter(WaveFileWriter* writer) { writer_.store(writer, std::memory_order_release); }

    void render(std::span<int16_t> out, const AudioFormat& format) override {
        inner_.render(out, format);
        if (WaveFileWriter* w = writer_.load(std::memory_order_acquire)) w->append(out);
    }

  private:
    AudioSource& inner_;
    std::atomic<WaveFileWriter*> writer_{nullptr};
};

} // namespace fer

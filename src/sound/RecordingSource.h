#pragma once
// Passes what a source plays on and writes a copy of it to a wave file: what
// --audio-out records of everything the engine plays.

#include "core/AudioSource.h"
#include "sound/WaveFileWriter.h"

namespace fer {

class RecordingSource : public AudioSource {
  public:
    explicit RecordingSource(AudioSource& inner) : inner_(inner) {}

    // Where the copy goes from now on: a writer in the output's format that
    // outlives the recording, or nullptr. Set only while the output does not
    // pull (before it is resumed, after it is closed).
    void setWriter(WaveFileWriter* writer) { writer_ = writer; }

    void render(std::span<int16_t> out, const AudioFormat& format) override {
        inner_.render(out, format);
        if (writer_) writer_->append(out);
    }

  private:
    AudioSource& inner_;
    WaveFileWriter* writer_ = nullptr;
};

} // namespace fer

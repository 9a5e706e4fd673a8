#pragma once
// Writes 16-bit PCM as a RIFF/WAVE file as it comes. The header's sizes are
// kept right after every append, so the file is complete whenever the
// writer stops, whatever ended the program's run.

#include <cstdint>
#include <filesystem>
#include <span>

#include "core/AudioSource.h"
#include "files/AtomicFileWriter.h"
#include "files/File.h"

namespace fer {

class WaveFileWriter {
  public:
    // Creates (or replaces) the file in the one safe way (see
    // AtomicFileWriter.h); isOpen() tells whether it worked, and outcome,
    // when given, why not.
    WaveFileWriter(const std::filesystem::path& path, const AudioFormat& format,
                   WriteOutcome* outcome = nullptr);
    ~WaveFileWriter() { close(); }
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    bool isOpen() const { return file_.isOpen() && !failed_; }
    // Appends whole frames; false once a write failed (nothing more is written).
    bool append(std::span<const int16_t> samples);
    uint64_t frames() const { return dataBytes_ / (2u * static_cast<unsigned>(format_.channels)); }
    bool close();

  private:
    bool writeSizes();

    File file_;
    AudioFormat format_;
    uint64_t dataBytes_ = 0;
    bool failed_ = false;
};

} // namespace fer

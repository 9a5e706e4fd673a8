#pragma once
// A wave file read and decoded on demand in bounded memory.
//
// The file is seen through a WaveSource (at most 512 KB of it committed) and
// the decoded PCM through a DecodedRegion (at most 1 MB committed); nothing
// is read or decoded before it is touched. Calling order: open, then
// prepareOutput, then read the decoded sound through decodedRegion() (or
// readDecoded). Every failure sets a bit in failures(); a failed stream
// stays silent.
//
// The decoded region may be read from any thread; open and prepareOutput run
// before any other thread uses the stream.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/ByteSource.h"
#include "sound/DecodedRegion.h"
#include "sound/SampleLoops.h"
#include "sound/SoundFailure.h"
#include "sound/WaveDecoder.h"
#include "sound/WaveFormat.h"
#include "sound/WaveSource.h"

namespace fer {

class WaveStream {
  public:
    WaveStream() = default;
    WaveStream(const WaveStream&) = delete;
    WaveStream& operator=(const WaveStream&) = delete;

    // Checks the header ("RIFF", "WAVE", "fmt " at 0, 8 and 12) and reserves
    // the file's region. True when the wave source exists. A header that
    // cannot be read sets kFailHeaderRead; wrong identifiers set kFailBadHeader.
    bool open(std::shared_ptr<const ByteSource> file);

    // Walks the chunks, chooses the output format (fields of 0 mean: as the
    // source), opens the decoder and reserves the decoded region. 0 on
    // success, -1 on failure.
    int prepareOutput(const WaveFormat& request);
    int prepareOutput(uint16_t tag, uint16_t channels, uint32_t samplesPerSec,
                      uint16_t bitsPerSample);

    // Decodes the unit at that address of the decoded region: the blocks it
    // covers, then silence after the end of the sound. Called by the region.
    void decodeUnit(uint8_t* unit, size_t length);

    // Copies decoded bytes at offset, touching each unit first; bytes past
    // the decoded size are not copied. False (and kFailCommit) when a unit
    // could not be committed.
    bool readDecoded(uint64_t offset, std::span<uint8_t> destination);

    FailureWord& failures() { return failures_; }
    const FailureWord& failures() const { return failures_; }

    uint32_t fileLength() const { return fileLength_; }
    const WaveFormat& sourceFormat() const { return sourceFormat_; }
    const WaveFormat& outputFormat() const { return outputFormat_; }
    uint32_t dataOffset() const { return dataOffset_; }
    uint32_t dataSize() const { return dataSize_; }
    uint32_t factFrames() const { return factFrames_; }
    bool hasLoops() const { return hasLoops_; }
    const std::vector<SampleLoop>& loops() const { return loops_; }
    uint8_t* decodedBase() const { return decoded_.base(); }
    uint32_t decodedSize() const { return decodedSize_; }

    WaveSource& waveSource() { return source_; }
    DecodedRegion& decodedRegion() { return decoded_; }
    const WaveDecoder* decoder() const { return decoder_.get(); }

  private:
    FailureWord failures_;
    bool opened_ = false;
    uint32_t fileLength_ = 0;
    WaveFormat sourceFormat_;
    WaveFormat outputFormat_;
    uint32_t dataOffset_ = 0;
    uint32_t dataSize_ = 0;
    uint32_t factFrames_ = 0;
    bool hasLoops_ = false;
    std::vector<SampleLoop> loops_;
    uint32_t decodedSize_ = 0;
    // Destroyed in reverse order: the decoded region first (no unit is
    // decoded after it), then the decoder, then the file it reads.
    WaveSource source_;
    std::unique_ptr<WaveDecoder> decoder_;
    DecodedRegion decoded_;
};

} // namespace fer

#pragma once
// Turns a wave file's samples into PCM of the output format, one block at a
// time, through libsndfile.
//
// libsndfile is handed a canonical wave file: a header written from the
// format the chunk walk chose, the "fact" value, and a "data" chunk whose
// bytes are read through the wave source's region. So both agree on the
// format and on where the data is, whatever else the real file holds.
//
// A block is a whole number of the source's blocks holding about a second of
// sound (one second for PCM and for formats of one frame per block). Block k
// holds output frames [k × framesPerBlock, (k + 1) × framesPerBlock): it is
// made by seeking to its first frame and reading whole frames. The block
// converted last is kept, so a unit that starts inside it does not convert
// it again.
//
// libsndfile opens every file, so it alone decides what is accepted and how
// many frames there are. Where its reading adds nothing, the block is made
// here from the data bytes instead, with the same result: plain PCM and IEEE
// floats are converted (or copied, for identical formats) straight from the
// wave source, and codecs whose output is 16-bit are read as 16-bit
// samples, which is what their decoders produce. IMA ADPCM of one or two
// channels to 16 bits is decoded here, block by block (ImaAdpcmBlock), as
// libsndfile and sox decode it. Any other case reads 32-bit samples and
// narrows them.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sound/WaveFormat.h"

struct sf_private_tag;

namespace fer {

class FailureWord;
class WaveSource;

class WaveDecoder {
  public:
    WaveDecoder();
    ~WaveDecoder();
    WaveDecoder(const WaveDecoder&) = delete;
    WaveDecoder& operator=(const WaveDecoder&) = delete;

    // Opens the decoder; false when libsndfile refuses the format (result()
    // tells why). A unit of the file that cannot be committed while the
    // decoder reads sets kFailCommit in failures.
    bool open(WaveSource& source, const WaveFormat& sourceFormat, uint32_t dataOffset,
              uint32_t dataSize, uint32_t factFrames, const WaveFormat& output,
              FailureWord& failures);
    // Sizes the blocks and allocates the buffers; false without memory.
    bool allocateBlocks();
    // No frame at or past this one is produced.
    void limitFrames(uint64_t frames);

    // The converted block k (unless it is the block converted last): fewer
    // bytes at the end of the sound, none past it or on a decoding error.
    std::span<const uint8_t> convertBlock(uint64_t k);

    // libsndfile's last error code (0 = none).
    int result() const { return result_; }
    uint32_t sourceBlock() const { return sourceBlock_; }
    uint32_t destinationBlock() const { return destinationBlock_; }
    uint32_t framesPerBlock() const { return framesPerBlock_; }
    // The frames libsndfile reports for the data.
    uint64_t frames() const { return frames_; }
    const WaveFormat& source() const { return source_; }
    const WaveFormat& destination() const { return destination_; }
    // How many blocks were converted so far.
    uint64_t conversions() const { return conversions_; }

    // How blocks are made (see above).
    enum class Path : uint8_t { Library, Library16, Pcm, ImaAdpcm };
    Path path() const { return path_; }

  private:
    struct VirtualFile;
    using PcmConverter = void (*)(const uint8_t* in, uint8_t* out, size_t samples);

    // Each makes the frames [first, first + frames) into converted_ and
    // returns how many it made.
    uint64_t convertThroughLibrary(uint64_t frames);
    uint64_t convertPcm(uint64_t first, uint64_t frames);
    uint64_t convertImaAdpcm(uint64_t first, uint64_t frames);
    // Moves libsndfile to a frame; false on failure.
    bool seekLibrary(uint64_t frame);
    void choosePath(int subtype);
    struct SndFileCloser {
        void operator()(sf_private_tag* file) const;
    };

    std::unique_ptr<VirtualFile> file_;
    std::unique_ptr<sf_private_tag, SndFileCloser> sndfile_;
    WaveFormat source_;
    WaveFormat destination_;
    int result_ = 0;
    int channels_ = 0;
    uint64_t frames_ = 0;
    uint64_t frameLimit_ = 0;
    uint32_t sourceBlock_ = 0;
    uint32_t destinationBlock_ = 0;
    uint32_t framesPerBlock_ = 0;
    bool floatSamples_ = false;
    Path path_ = Path::Library;
    PcmConverter pcmConverter_ = nullptr; // null: the bytes are copied
    uint32_t sourceFrameBytes_ = 0;       // for the PCM path
    std::vector<int32_t> samples_;
    std::vector<uint8_t> raw_; // the data bytes of a block, for the PCM path
    std::vector<float> floats_;
    std::vector<int16_t> imaLast_; // a last block only partly wanted
    std::vector<uint8_t> converted_;
    int64_t lastBlock_ = -1;
    size_t lastBytes_ = 0;
    uint64_t position_ = 0; // the frame libsndfile reads next
    uint64_t conversions_ = 0;
};

} // namespace fer

#pragma once
// The failure word of a track: every failure in reading, converting or
// playing sets a bit; the word only gains bits. Shared between the thread
// that prepares a track and the thread that streams it.

#include <atomic>
#include <cstdint>

namespace fer {

enum SoundFailureBit : uint32_t {
    kFailNoMemory = 0x00000001,    // a copy or buffer could not be allocated
    kFailCommit = 0x00000002,      // a unit of the file or the sound could not be committed
    kFailHeaderRead = 0x00000004,  // the file's header could not be read
    kFailConversion = 0x00000008,  // no decoder for the format, or it would not open
    kFailDevice = 0x00000010,      // an audio output call failed
    kFailBadHeader = 0x40000000,   // not a RIFF/WAVE file, or no usable "fmt " and "data"
    kFailUnspecified = 0x80000000, // anything else
};

class FailureWord {
  public:
    void set(uint32_t bits) { bits_.fetch_or(bits, std::memory_order_acq_rel); }
    uint32_t value() const { return bits_.load(std::memory_order_acquire); }
    bool any() const { return value() != 0; }

  private:
    std::atomic<uint32_t> bits_{0};
};

} // namespace fer

#pragma once
// A wave file seen through a bounded region: 64 KB units, at most 512 KB
// committed, a second chance 128 KB behind the newest unit. A unit is read
// from the file when it is first touched; a read that fails or runs past the
// file's end leaves zeros, so a file shorter than its RIFF size reads as zeros
// beyond its end.

#include <cstdint>
#include <memory>
#include <span>

#include "core/ByteSource.h"
#include "sound/BoundedRegion.h"

namespace fer {

class WaveSource : public BoundedRegion {
  public:
    static constexpr uint64_t kUnit = 0x10000;
    static constexpr uint64_t kLimit = 0x80000;
    static constexpr uint64_t kLag = 0x20000;

    // Reserves a region of length bytes (the source's size when length is
    // 0) over the file. False when nothing could be reserved.
    bool open(std::shared_ptr<const ByteSource> file, uint64_t length);

    // The length the region shows (before rounding to units).
    uint64_t length() const { return length_; }
    // The number of bytes the file really holds.
    uint64_t fileSize() const { return fileSize_; }

    // Copies bytes of the file at offset through the region; bytes past the
    // region read as zeros. False when a unit could not be committed.
    bool read(uint64_t offset, std::span<uint8_t> destination);

  protected:
    void produceUnit(uint8_t* unit) override;
    bool producesWholeUnit() const override { return true; }

  private:
    std::shared_ptr<const ByteSource> file_;
    uint64_t length_ = 0;
    uint64_t fileSize_ = 0;
};

} // namespace fer

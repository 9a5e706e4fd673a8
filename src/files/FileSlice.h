#pragma once
// A run of bytes of a file, read through a descriptor of its own: a whole
// loose file, or one entry of an archive. Reads go by absolute offset, so
// any number of threads may read one slice at once, and the slice stays
// valid whatever happens to the descriptor it was made from.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/ByteSource.h"
#include "files/File.h"

namespace fer {

class FileSlice final : public ByteSource {
  public:
    // The bytes [base, base + length) of file, which the slice takes over.
    FileSlice(File file, uint64_t base, uint64_t length)
        : file_(std::move(file)), base_(base), length_(length) {}

    // The bytes [base, base + length) of an open file, read through a
    // duplicate of its descriptor; nullptr when it cannot be duplicated.
    static std::unique_ptr<FileSlice> duplicate(const File& file, uint64_t base, uint64_t length);

    uint64_t size() const override { return length_; }
    // Never reads outside the slice; a file shorter than the slice gives
    // short reads.
    size_t readAt(uint64_t offset, std::span<uint8_t> destination) const override;

  private:
    File file_;
    uint64_t base_;
    uint64_t length_;
};

} // namespace fer

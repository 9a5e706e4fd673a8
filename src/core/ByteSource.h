#pragma once
// Read-only bytes at offsets: a file, a slice of an archive, or memory. A
// source may be read from any thread; reads of one source from two threads
// at once are safe (they keep no shared position).

#include <cstddef>
#include <cstdint>
#include <span>

namespace fer {

class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // The number of bytes the source holds.
    virtual uint64_t size() const = 0;
    // Reads up to destination.size() bytes from offset. Returns how many were
    // read: fewer at the end of the source, 0 past it or on a read error.
    virtual size_t readAt(uint64_t offset, std::span<uint8_t> destination) const = 0;
};

} // namespace fer

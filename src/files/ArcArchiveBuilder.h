#pragma once
// Builds ARC archive files: the directory first, in the order entries were
// added, then the entries' bytes in the same order.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fer {

class ArcArchiveBuilder {
  public:
    // A name fits an entry when it has 1 to 12 bytes and no zero byte.
    static bool isValidName(std::string_view name);

    // Adds an entry under the upper-cased name; false when the name does
    // not fit or the archive would pass 4 GiB.
    bool add(std::string_view name, std::span<const uint8_t> bytes);
    // Adds an entry exactly as given (no upper-casing, any 12 name bytes),
    // for building archives a reader must cope with.
    bool addRaw(const uint8_t (&nameBytes)[12], std::span<const uint8_t> bytes);

    size_t count() const { return entries_.size(); }
    std::vector<uint8_t> build() const;

  private:
    struct Entry {
        uint8_t name[12];
        std::vector<uint8_t> bytes;
    };
    std::vector<Entry> entries_;
    uint64_t total_ = 4;
};

} // namespace fer

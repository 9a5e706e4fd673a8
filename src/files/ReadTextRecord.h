#pragma once
// Which messages the player has read, in any play of a game: one bit per
// text address per script. Kept in the player's data folder as
//   "FERREAD1", u32 script count, then per script: u8 name length (1..127),
//   the name, u32 bitmap length, the bitmap (bit a % 8 of byte a / 8 for
//   address a); all numbers little-endian, nothing after the last script.
// Bounded: kMaxScripts scripts, addresses below the script memory's size.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fer {

class ReadTextRecord {
  public:
    static constexpr size_t kMaxScripts = 256;
    static constexpr size_t kMaxNameLength = 127;
    static constexpr uint32_t kAddressLimit = 1053124; // the script memory's size
    static constexpr size_t kMaxBitmapBytes = (kAddressLimit + 7) / 8;

    // Takes the file's bytes; false, with the record left empty, when they
    // are not a record.
    bool parse(std::span<const uint8_t> bytes);
    std::vector<uint8_t> serialise() const;

    bool isRead(std::string_view script, uint32_t address) const;
    // Marks the address read; true when it was not read before (and fits).
    bool mark(std::string_view script, uint32_t address);

  private:
    std::map<std::string, std::vector<uint8_t>, std::less<>> scripts_;
};

} // namespace fer

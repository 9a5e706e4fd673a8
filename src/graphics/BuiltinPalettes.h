#pragma once
// The engine's built-in palettes for the palette presets of the external
// commands: five fixed tables (16, 48, 192, 16 and 256 entries) and three
// tables of 16 palettes each, indexed by two numbers 0..3 (first * 4 +
// second). They are game data: the engine ships documented defaults, and a
// game replaces any table with a JASC-PAL file in its directory.
//
// Stored entries keep their first and third colour bytes in the opposite
// order to the working palette (blue, green, red); copying into a palette
// exchanges them, and leaves the fourth byte of the destination alone.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/PaletteEntry.h"

namespace fer {

class FileStore;

class BuiltinPalettes {
  public:
    struct StoredEntry {
        uint8_t first = 0, second = 0, third = 0; // blue, green, red
    };
    static constexpr int kTables = 5;
    static constexpr std::array<size_t, kTables> kSizes{16, 48, 192, 16, 256};
    static constexpr int kPointerTables = 3;
    static constexpr uint32_t kPointerEntries = 16;
    // Palette files are short texts; a larger file is skipped.
    static constexpr uint64_t kMaxFileSize = 64 * 1024;

    BuiltinPalettes();

    // Replaces tables with the palette files a game provides: "PALETTE1.PAL"
    // to "PALETTE5.PAL" for the fixed tables, "PALTAB1_00.PAL" to
    // "PALTAB3_15.PAL" for the entries of the pointer tables. readText gives
    // a file's text, or nothing when the game has no such file. A file with
    // fewer colours replaces only those; a malformed file changes nothing.
    // Returns the names of malformed files.
    std::vector<std::string> loadOverrides(
        const std::function<std::optional<std::string>(const std::string& name)>& readText);
    // The same with the files the game directory holds (looked for as the
    // file services look for loose files). Returns one line for each file
    // that is there but was skipped, naming it and saying why ("PALETTE2.PAL
    // is not a regular file", "... is too large", "... is not a JASC-PAL
    // palette file"); files the game does not have are not mentioned.
    std::vector<std::string> loadOverrides(const FileStore& files);

    // Copies count entries of fixed table `table` (1..5) from entry `from`
    // into destination entries `to` on, within both tables.
    void copyFixed(int table, size_t from, Palette& destination, size_t to, size_t count) const;
    // Copies entries first..last of the palette that pointer table `table`
    // (1..3) holds at `index`; an index past the table copies nothing.
    void copyPointed(int table, uint32_t index, Palette& destination, size_t first,
                     size_t last) const;

    static std::string fixedFileName(int table);
    static std::string pointedFileName(int table, uint32_t index);

  private:
    static void copyEntries(const std::vector<StoredEntry>& source, size_t from,
                            Palette& destination, size_t to, size_t count);

    std::array<std::vector<StoredEntry>, kTables> fixed_;
    std::array<std::array<std::vector<StoredEntry>, kPointerEntries>, kPointerTables> pointed_;
};

} // namespace fer

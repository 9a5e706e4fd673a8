#pragma once
// One open ARC archive: the entry count and the directory, kept exactly as
// read (scrambled) between lookups, and the archive's file, which may be
// closed between uses and re-opened by name.
//
// File layout (little-endian): a 32-bit entry count N, then N directory
// entries of 20 bytes: a 12-byte name padded with zeros (no terminator when
// all 12 are used) with every byte XOR 0x9D, the stored size XOR 0x3C96C35A
// and the offset from the start of the file XOR 0xC3693CA5. Entry data lie
// anywhere after that, unscrambled.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/File.h"

namespace fer {

struct ArcEntry {
    uint32_t size = 0;
    uint32_t offset = 0;
};

// Why an archive's directory could not be read.
enum class ArcLoadError {
    kNone,
    kUnreadable,       // the file could not be read
    kNotArchive,       // too short to hold an entry count
    kDamagedDirectory, // the count's directory does not fit in the file
    kNoMemory,
};

class ArcArchive {
  public:
    static constexpr size_t kEntrySize = 20;
    static constexpr size_t kNameSize = 12;
    static constexpr uint8_t kNameMask = 0x9D;
    static constexpr uint32_t kSizeMask = 0x3C96C35A;
    static constexpr uint32_t kOffsetMask = 0xC3693CA5;

    // Reads the count and the directory from the start of file and keeps the
    // file. Fails, keeping nothing, when the file is too short for them (a
    // corrupt count is never allocated for).
    // why, when given, says what failed.
    bool load(File file, ArcLoadError* why = nullptr) noexcept;

    bool isLoaded() const { return loaded_; }
    uint32_t count() const { return count_; }
    // The directory bytes, scrambled as in the file.
    std::span<const uint8_t> directory() const { return directory_; }

    // Finds name (upper-cased in place, ASCII letters only) by comparing it
    // byte for byte with each entry's 12 name bytes read as a zero-terminated
    // text; the first match wins. The directory is unscrambled only for the
    // length of the search.
    std::optional<ArcEntry> lookup(std::string& name) noexcept;
    // The entries' names in directory order, each up to its first zero byte.
    std::vector<std::string> names() const;

    bool hasHandle() const { return file_.isOpen(); }
    File& handle() { return file_; }
    void attach(File file) { file_ = std::move(file); }
    // Closes the file, keeping the directory; false when closing fails.
    bool closeHandle() { return file_.close(); }
    // Frees the directory and closes the file; false when closing fails.
    bool close();

  private:
    void toggleScrambling();

    bool loaded_ = false;
    uint32_t count_ = 0;
    std::vector<uint8_t> directory_;
    File file_;
};

// Upper-cases ASCII letters in place.
void upperCaseAscii(std::string& text);

} // namespace fer

#pragma once
// The engine's settings file (an INI file beside the game). Every call reads
// the file afresh, so a write is seen by the next read and changes made by
// hand while the engine runs are picked up. Writes replace the file
// atomically and change nothing but the one value (see IniText.h for the
// exact reading and editing rules). A missing or unreadable file reads as
// empty: every lookup gives its default.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace fer {

class SettingsFile {
  public:
    // Files above this size are not settings files; they read as empty and
    // are never written.
    static constexpr uint64_t kMaxFileSize = 16u << 20;

    explicit SettingsFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    // Writes go to copy instead (made from the file at the first write, its
    // folder created then), and once it exists every read comes from it: the
    // settings of a game whose folder cannot be written.
    void setWriteCopy(std::filesystem::path copy) { copy_ = std::move(copy); }
    const std::filesystem::path& writeCopy() const { return copy_; }

    // The integer value of key: leading digits with an optional sign,
    // wrapping at 32 bits; defaultValue when the key is missing or empty.
    int32_t getInt(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // The text value of key, at most maxLength bytes; defaultValue (also cut
    // to maxLength) when the key is missing.
    std::string getText(std::string_view section, std::string_view key,
                        std::string_view defaultValue, size_t maxLength) const;
    // Writes the decimal text of value. False when the file cannot be
    // written or the names cannot be stored.
    bool putInt(std::string_view section, std::string_view key, int32_t value);
    bool putText(std::string_view section, std::string_view key, std::string_view value);

  private:
    // The whole file; false when it is missing, unreadable or too large.
    bool read(std::string& text) const;
    // The file reads come from: the copy once it exists, else the file.
    const std::filesystem::path& readPath() const;

    std::filesystem::path path_;
    std::filesystem::path copy_;
};

} // namespace fer

#pragma once
// The engine's settings file (an INI file beside the game). Every call reads
// the file afresh, so a write is seen by the next read and changes made by
// hand while the engine runs are picked up. Start-up, which asks for a few
// dozen values within milliseconds, holds one reading instead (`Held`): the
// file is read once, and the held text follows the engine's own writes. Writes replace the file
// atomically and change nothing but the one value (see IniText.h for the
// exact reading and editing rules). A missing or unreadable file reads as
// empty: every lookup gives its default.

#include <cstdint>
#include <filesystem>
#include <optional>
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
    void setWriteCopy(std::filesystem::path copy) {
        copy_ = std::move(copy);
        heldText_.reset(); // a held reading is made again from the copy
    }
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

    // While one lives, reads use one reading of the file.
    class Held {
      public:
        explicit Held(SettingsFile& file) : file_(&file) { file.held_ = true; }
        ~Held() { release(); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;
        // Back to reading the file afresh on every call.
        void release() {
            if (!file_) return;
            file_->held_ = false;
            file_->heldText_.reset();
            file_ = nullptr;
        }

      private:
        SettingsFile* file_;
    };

  private:
    // The whole file; false when it is missing, unreadable or too large.
    bool read(std::string& text) const;
    // The file reads come from: the copy once it exists, else the file.
    const std::filesystem::path& readPath() const;

    // The file as read, or nothing when it cannot be read.
    bool readFile(std::string& text) const;

    std::filesystem::path path_;
    std::filesystem::path copy_;
    bool held_ = false;
    // While held: the reading, once made (empty optional inside: not readable).
    mutable std::optional<std::optional<std::string>> heldText_;
};

} // namespace fer

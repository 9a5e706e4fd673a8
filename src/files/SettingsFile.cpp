#include "files/SettingsFile.h"

#include <cerrno>
#include <cstring>
#include <span>
#include <sys/stat.h>
#include <utility>

#include "files/AtomicFileWriter.h"
#include "files/File.h"
#include "files/IniText.h"
#include "files/UserDataFolder.h"

namespace fer {

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

const std::filesystem::path& SettingsFile::readPath() const {
    if (copy_.empty()) return path_;
    struct stat info {};
    return ::lstat(copy_.c_str(), &info) == 0 ? copy_ : path_;
}

bool SettingsFile::read(std::string& text) const {
    if (!held_) return readFile(text);
    if (!heldText_) {
        std::string reading;
        if (readFile(reading)) {
            heldText_.emplace(std::move(reading));
        } else {
            heldText_.emplace(std::nullopt);
        }
    }
    if (!*heldText_) {
        text.clear();
        return false;
    }
    text = **heldText_;
    return true;
}

bool SettingsFile::readFile(std::string& text) const {
    text.clear();
    File file = File::openForRead(readPath());
    if (!file.isOpen()) return false;
    auto size = file.size();
    if (!size || *size > kMaxFileSize) return false;
    text.resize(static_cast<size_t>(*size));
    std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(text.data()), text.size());
    if (!file.readExact(bytes)) {
        text.clear();
        return false;
    }
    return true;
}

int32_t SettingsFile::getInt(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
    std::string text;
    read(text);
    auto value = ini::findValue(text, section, key);
    if (!value || value->empty()) return defaultValue;
    return ini::parseInt(*value);
}

std::string SettingsFile::getText(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, size_t maxLength) const {
    std::string text;
    read(text);
    std::string_view value = ini::findValue(text, section, key).value_or(defaultValue);
    return std::string(value.substr(0, maxLength));
}

bool SettingsFile::putInt(std::string_view section, std::string_view key, int32_t value) {
    return putText(section, key, std::to_string(value));
}

bool SettingsFile::putText(std::string_view section, std::string_view key, std::string_view value) {
    if (!ini::isWritableName(section) || !ini::isWritableName(key) ||
        !ini::isWritableValue(value)) {
        return false;
    }
    std::string text;
    const std::filesystem::path& from = readPath();
    if (!read(text)) {
        // Only a missing file may be replaced; an unreadable or oversized one
        // is left alone rather than overwritten with a single entry.
        struct stat info {};
        if (::stat(from.c_str(), &info) == 0 || errno != ENOENT) return false;
    }
    const std::filesystem::path& to = copy_.empty() ? path_ : copy_;
    if (!copy_.empty() && !UserDataFolder::create(copy_.parent_path())) return false;
    try {
        std::string updated = ini::withValue(text, section, key, value);
        std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(updated.data()),
                                       updated.size());
        if (replaceFileAtomically(to, bytes) != WriteOutcome::kDone) {
            heldText_.reset(); // what the file holds now is read again
            return false;
        }
        if (held_) heldText_.emplace(std::move(updated));
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace fer

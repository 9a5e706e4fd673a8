#pragma once
// The application shell: the settings file beside the game, the debug flag
// and the log file "FERKITE.LOG".

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "files/SettingsFile.h"

namespace fer {

class AppShell {
  public:
    // The settings file is settingsFileName in startDirectory.
    AppShell(std::filesystem::path startDirectory, std::string_view settingsFileName);

    const std::filesystem::path& startDirectory() const { return startDirectory_; }
    const std::filesystem::path& settingsPath() const { return settings_.path(); }
    SettingsFile& settings() { return settings_; }

    int32_t getIntSetting(std::string_view section, std::string_view key,
                          int32_t defaultValue) const {
        return settings_.getInt(section, key, defaultValue);
    }
    std::string getTextSetting(std::string_view section, std::string_view key,
                               std::string_view defaultValue, size_t maxLength) const {
        return settings_.getText(section, key, defaultValue, maxLength);
    }
    bool putIntSetting(std::string_view section, std::string_view key, int32_t value) {
        return settings_.putInt(section, key, value);
    }

    // Reads "bDEBUG"; when it is 1, creates the log file in the current
    // directory, or in the log folder when one was set.
    void readDebugSetting();
    // The log is written into folder (created with the log) instead.
    void setLogFolder(std::filesystem::path folder) { logFolder_ = std::move(folder); }
    int32_t debugEnabled() const { return debugEnabled_; }

    // One line in the log; nothing unless the log file is open.
    void logLine(std::string_view text);
    // A line for the author: the log, and stderr while "bDEBUG" is not 0.
    void note(std::string_view text);
    void closeLog() { log_.reset(); }
    // Every line meant for the log is also handed here, log file or not.
    void setLogListener(std::function<void(std::string_view)> listener) {
        logListener_ = std::move(listener);
    }

  private:
    // The log file, new and empty in the old one's place; nullptr when it
    // cannot be made, or when something other than a regular file (a pipe,
    // a device, a link) has the name.
    static std::FILE* createLog(const char* name);

    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    std::filesystem::path startDirectory_;
    SettingsFile settings_;
    int32_t debugEnabled_ = 0;
    std::unique_ptr<std::FILE, FileCloser> log_;
    std::filesystem::path logFolder_;
    std::function<void(std::string_view)> logListener_;
};

} // namespace fer

#include "shell/AppShell.h"

namespace fer {

AppShell::AppShell(std::filesystem::path startDirectory, std::string_view settingsFileName)
    : startDirectory_(std::move(startDirectory)), settings_(startDirectory_ / settingsFileName) {}

void AppShell::readDebugSetting() {
    debugEnabled_ = settings_.getInt("Config", "bDEBUG", 0);
    // A log file that cannot be created is not reported; writes then do nothing.
    if (debugEnabled_ == 1) log_.reset(std::fopen("FERKITE.LOG", "wb"));
}

void AppShell::logLine(std::string_view text) {
    if (!log_) return;
    std::fwrite(text.data(), 1, text.size(), log_.get());
    std::fputc('\n', log_.get());
    std::fflush(log_.get());
}

} // namespace fer

#include "shell/AppShell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/UserDataFolder.h"

namespace fer {

AppShell::AppShell(std::filesystem::path startDirectory, std::string_view settingsFileName)
    : startDirectory_(std::move(startDirectory)), settings_(startDirectory_ / settingsFileName) {}

void AppShell::readDebugSetting() {
    debugEnabled_ = settings_.getInt("Config", "bDEBUG", 0);
    // A log file that cannot be created is not reported; writes then do nothing.
    if (debugEnabled_ != 1) return;
    if (logFolder_.empty()) {
        log_.reset(createLog("FERKITE.LOG"));
    } else if (UserDataFolder::create(logFolder_)) {
        log_.reset(createLog((logFolder_ / "FERKITE.LOG").c_str()));
    }
}

std::FILE* AppShell::createLog(const char* name) {
    // Never waits for a pipe's reader, never writes through a link, and
    // writes only into a regular file.
    const int fd = ::open(
        name, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

void AppShell::logLine(std::string_view text) {
    if (!log_) return;
    std::fwrite(text.data(), 1, text.size(), log_.get());
    std::fputc('\n', log_.get());
    std::fflush(log_.get());
}

void AppShell::note(std::string_view text) {
    logLine(text);
    if (debugEnabled_ == 0) return;
    std::fprintf(stderr, "engine: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

} // namespace fer

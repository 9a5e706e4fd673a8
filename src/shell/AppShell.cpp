#include "shell/AppShell.h"

#include <cstdio>

#include "files/AtomicFileWriter.h"
#include "files/CaseInsensitivePath.h"
#include "files/UserDataFolder.h"

namespace fer {

AppShell::AppShell(std::filesystem::path startDirectory, std::string_view settingsFileName)
    : startDirectory_(std::move(startDirectory)),
      // The settings file's name is ASCII: alike in either build's charset.
      settings_(pathIgnoringCase(startDirectory_, settingsFileName, NameCharset::kGbk)) {}

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
    // A new regular file in the old one's place: never a pipe's writer,
    // never through a link.
    WriteOutcome outcome = WriteOutcome::kDone;
    File created = createFileInPlace(name, &outcome);
    if (outcome == WriteOutcome::kIsLink)
        std::fprintf(stderr, "engine: no log: %s: %s\n", name, writeFailureReason(outcome));
    if (!created.isOpen()) return nullptr;
    const int fd = created.descriptor();
    std::FILE* file = ::fdopen(fd, "wb");
    if (file) created.release();
    return file;
}

void AppShell::logLine(std::string_view text) {
    if (logListener_) logListener_(text);
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

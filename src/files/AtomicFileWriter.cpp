#include "files/AtomicFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fer {
namespace {

// Removes the temporary file unless the rename has taken it over.
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {}
    ~TemporaryName() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

  private:
    std::string path_;
};

void syncDirectory(const std::filesystem::path& directory) {
    int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A writer killed between creating its temporary file and renaming it
// leaves the file behind; the next write of the same file removes it, so
// they never pile up.
void removeStaleTemporaries(const std::filesystem::path& directory, const std::string& prefix) {
    std::error_code ec;
    std::filesystem::directory_iterator it(directory.empty() ? "." : directory, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            ::unlink(it->path().c_str());
    }
}

// What the target's name holds now, without following it: the permissions
// the new file keeps (new files get the usual ones), or the refusal.
WriteOutcome checkTarget(const std::filesystem::path& target, mode_t& mode) {
    mode = 0644;
    struct stat old {};
    if (::lstat(target.c_str(), &old) != 0)
        return errno == ENOENT ? WriteOutcome::kDone : WriteOutcome::kCreateFailed;
    if (S_ISLNK(old.st_mode)) return WriteOutcome::kIsLink;
    if (!S_ISREG(old.st_mode)) return WriteOutcome::kNotRegular;
    mode = old.st_mode & 07777;
    return WriteOutcome::kDone;
}

// Writes the file under a temporary name and renames it over target once
// fill has written its bytes; a closed File when something failed.
template <typename Fill>
File writeInPlace(const std::filesystem::path& target, WriteOutcome& outcome, Fill fill) {
    mode_t mode = 0644;
    outcome = checkTarget(target, mode);
    if (outcome != WriteOutcome::kDone) return File{};
    const std::filesystem::path directory = target.parent_path();
    const std::string prefix = "." + target.filename().string() + ".";
    removeStaleTemporaries(directory, prefix);
    std::string pattern = (directory / (prefix + "XXXXXX")).string();
    File file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!file.isOpen()) {
        outcome = WriteOutcome::kCreateFailed;
        return File{};
    }
    TemporaryName temporary(pattern);
    ::fchmod(file.descriptor(), mode);
    outcome = fill(file);
    if (outcome != WriteOutcome::kDone) return File{};
    // The name may have become a link or a folder meanwhile: rename never
    // follows it, and refuses to replace a folder.
    if (checkTarget(target, mode) == WriteOutcome::kIsLink) {
        outcome = WriteOutcome::kIsLink;
        return File{};
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        outcome = WriteOutcome::kCloseFailed;
        return File{};
    }
    temporary.release();
    syncDirectory(directory);
    return file;
}

} // namespace

WriteOutcome replaceFileAtomically(const std::filesystem::path& target,
                                   std::span<const uint8_t> bytes) noexcept {
    try {
        WriteOutcome outcome = WriteOutcome::kDone;
        writeInPlace(target, outcome, [&](File& file) {
            if (!file.writeAll(bytes) || !file.sync()) return WriteOutcome::kWriteFailed;
            if (!file.close()) return WriteOutcome::kCloseFailed;
            return WriteOutcome::kDone;
        });
        return outcome;
    } catch (...) {
        return WriteOutcome::kCreateFailed;
    }
}

File createFileInPlace(const std::filesystem::path& target, WriteOutcome* outcome) noexcept {
    WriteOutcome result = WriteOutcome::kCreateFailed;
    File file;
    try {
        file = writeInPlace(target, result, [](File&) { return WriteOutcome::kDone; });
    } catch (...) {
        result = WriteOutcome::kCreateFailed;
    }
    if (outcome) *outcome = result;
    return file;
}

const char* writeFailureReason(WriteOutcome outcome) {
    switch (outcome) {
    case WriteOutcome::kDone: return "";
    case WriteOutcome::kIsLink: return "it is a symbolic link, which is not followed";
    case WriteOutcome::kNotRegular: return "it is not a regular file";
    case WriteOutcome::kCreateFailed: return "the file cannot be created";
    case WriteOutcome::kWriteFailed: return "writing failed";
    case WriteOutcome::kCloseFailed: return "the file cannot be closed or put in place";
    }
    return "";
}

} // namespace fer

#include "files/AtomicFileWriter.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "files/File.h"

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

} // namespace

WriteOutcome replaceFileAtomically(const std::filesystem::path& target,
                                   std::span<const uint8_t> bytes) noexcept {
    try {
        std::filesystem::path directory = target.parent_path();
        const std::string prefix = "." + target.filename().string() + ".";
        removeStaleTemporaries(directory, prefix);
        std::string pattern = (directory / (prefix + "XXXXXX")).string();
        int fd = ::mkstemp(pattern.data());
        if (fd < 0) return WriteOutcome::kCreateFailed;
        File file(fd);
        TemporaryName temporary(pattern);

        // Keep the permissions of the file being replaced; new files get the
        // usual ones (mkstemp makes them private).
        struct stat old {};
        mode_t mode = 0644;
        if (::stat(target.c_str(), &old) == 0) mode = old.st_mode & 07777;
        ::fchmod(file.descriptor(), mode);

        if (!file.writeAll(bytes) || !file.sync()) return WriteOutcome::kWriteFailed;
        if (!file.close()) return WriteOutcome::kCloseFailed;
        if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
            return WriteOutcome::kCloseFailed;
        }
        temporary.release();
        syncDirectory(directory);
        return WriteOutcome::kDone;
    } catch (...) {
        return WriteOutcome::kCreateFailed;
    }
}

} // namespace fer

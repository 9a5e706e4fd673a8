#include "files/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fer {

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

File File::openForRead(const std::filesystem::path& path, OpenError* error) noexcept {
    auto fail = [&](OpenError why) {
        if (error) *error = why;
        return File{};
    };
    // Without O_NONBLOCK, opening a pipe waits for a writer for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(errno == ENXIO ? OpenError::kNotRegular : OpenError::kMissing);
    File file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(OpenError::kMissing);
    if (!S_ISREG(info.st_mode)) return fail(OpenError::kNotRegular);
    // Reads of a regular file block as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(OpenError::kMissing);
    if (error) *error = OpenError::kNone;
    return file;
}

std::optional<uint64_t> File::size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0) return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

std::optional<uint64_t> File::position() const {
    if (fd_ < 0) return std::nullopt;
    off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0) return std::nullopt;
    return static_cast<uint64_t>(at);
}

bool File::seek(uint64_t offset) {
    if (fd_ < 0 || offset > static_cast<uint64_t>(INT64_MAX)) return false;
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool File::readExact(std::span<uint8_t> destination) {
    if (fd_ < 0) return false;
    size_t done = 0;
    while (done < destination.size()) {
        ssize_t n = ::read(fd_, destination.data() + done, destination.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool File::writeAll(std::span<const uint8_t> source) {
    if (fd_ < 0) return false;
    size_t done = 0;
    while (done < source.size()) {
        ssize_t n = ::write(fd_, source.data() + done, source.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool File::sync() {
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

bool File::close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

} // namespace fer

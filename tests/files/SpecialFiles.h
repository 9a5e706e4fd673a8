#pragma once
// Files that are not regular files, made where a test needs them: a pipe
// with no writer, a listening Unix socket, a directory, a link to a device.

#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fer::test {

inline bool makeFifo(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0644) == 0;
}

// A bound Unix socket; the descriptor is closed with the returned holder.
class BoundSocket {
  public:
    explicit BoundSocket(const std::filesystem::path& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = path.string();
        if (name.size() >= sizeof address.sun_path) return;
        name.copy(address.sun_path, name.size());
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~BoundSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    BoundSocket(const BoundSocket&) = delete;
    BoundSocket& operator=(const BoundSocket&) = delete;
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

} // namespace fer::test

#pragma once
// An open file descriptor that closes itself. Reads and writes loop over
// partial transfers and interruptions, so callers see only whole transfers
// or failure.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>

namespace fer {

// Why a file could not be opened for reading.
enum class OpenError {
    kNone,
    kMissing,    // no such file, or it may not be read
    kNotRegular, // a directory, pipe, socket or device
    kOutside,    // its name leads out of the folder it must stay in
};

class File {
  public:
    File() = default;
    explicit File(int descriptor) : fd_(descriptor) {}
    ~File();
    File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing regular file for reading; a closed File on failure,
    // with the reason in error when given. Pipes, sockets, devices and
    // directories are refused without waiting for a writer or reading a
    // byte: the open never blocks, and the type is checked on the opened
    // descriptor, so a file swapped for a pipe meanwhile is refused too.
    static File openForRead(const std::filesystem::path& path, OpenError* error = nullptr) noexcept;

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    // Gives up the descriptor without closing it (it now belongs to the caller).
    int release() { return std::exchange(fd_, -1); }

    std::optional<uint64_t> size() const;
    std::optional<uint64_t> position() const;
    bool seek(uint64_t offset);
    // Reads exactly destination.size() bytes; false on error or end of file.
    bool readExact(std::span<uint8_t> destination);
    bool writeAll(std::span<const uint8_t> source);
    bool sync();
    // Closes the descriptor; false when the system reports a failure. The
    // File is closed afterwards either way.
    bool close();

  private:
    int fd_ = -1;
};

} // namespace fer

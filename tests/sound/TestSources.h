#pragma once
// Byte sources for the sound tests: bytes in memory, a file on disk, and a
// source whose reads fail.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/ByteSource.h"

namespace fer::test {

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint64_t size() const override { return bytes_.size(); }
    size_t readAt(uint64_t offset, std::span<uint8_t> destination) const override {
        reads_.fetch_add(1, std::memory_order_relaxed);
        if (offset >= bytes_.size()) return 0;
        const size_t n = std::min<uint64_t>(destination.size(), bytes_.size() - offset);
        std::memcpy(destination.data(), bytes_.data() + offset, n);
        return n;
    }
    uint64_t reads() const { return reads_.load(std::memory_order_relaxed); }

  private:
    std::vector<uint8_t> bytes_;
    mutable std::atomic<uint64_t> reads_{0};
};

class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0) size_ = static_cast<uint64_t>(st.st_size);
    }
    ~FileSource() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, std::span<uint8_t> destination) const override {
        size_t done = 0;
        while (done < destination.size()) {
            const ssize_t n = ::pread(fd_, destination.data() + done, destination.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        return done;
    }

  private:
    int fd_;
    uint64_t size_ = 0;
};

// Claims a size but every read fails.
class FailingSource : public ByteSource {
  public:
    explicit FailingSource(uint64_t size) : size_(size) {}
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t, std::span<uint8_t>) const override { return 0; }

  private:
    uint64_t size_;
};

} // namespace fer::test

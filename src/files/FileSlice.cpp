#include "files/FileSlice.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace fer {

std::unique_ptr<FileSlice> FileSlice::duplicate(const File& file, uint64_t base, uint64_t length) {
    if (!file.isOpen()) return nullptr;
    const int copy = ::fcntl(file.descriptor(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return nullptr;
    return std::make_unique<FileSlice>(File(copy), base, length);
}

size_t FileSlice::readAt(uint64_t offset, std::span<uint8_t> destination) const {
    if (offset >= length_ || !file_.isOpen()) return 0;
    const uint64_t wanted = std::min<uint64_t>(destination.size(), length_ - offset);
    const uint64_t start = base_ + offset;
    // Positions past what off_t holds are not in any file.
    if (start < base_ || start > static_cast<uint64_t>(INT64_MAX) - wanted) return 0;
    size_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(file_.descriptor(), destination.data() + done, wanted - done,
                                  static_cast<off_t>(start + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return 0;
        if (n == 0) break; // the file ends early
        done += static_cast<size_t>(n);
    }
    return done;
}

} // namespace fer

#pragma once
// Replaces a file with new contents so that a reader, a crash or a full disk
// sees either the old file or the complete new one, never a torn mix: the
// bytes go to a temporary file in the same directory, which is flushed and
// then renamed over the target.

#include <cstdint>
#include <filesystem>
#include <span>

namespace fer {

enum class WriteOutcome {
    kDone,
    kCreateFailed, // the temporary file could not be created
    kWriteFailed,  // writing or flushing the bytes failed
    kCloseFailed,  // closing the temporary file or renaming it failed
};

WriteOutcome replaceFileAtomically(const std::filesystem::path& target,
                                   std::span<const uint8_t> bytes) noexcept;

} // namespace fer

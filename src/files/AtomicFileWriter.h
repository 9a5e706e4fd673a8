#pragma once
// The one way files are created. A file is never written through a name
// that already exists: its bytes go to a new file made under a temporary
// name in the same directory (created exclusively, so no link or other file
// of that name is followed), which is then renamed over the target. The
// rename replaces the name, never what it leads to, so neither a symbolic
// link nor a second hard link of the old file is written through. A target
// whose name is a symbolic link, or anything but a regular file, is refused
// and left as it is.
//
// A whole file is replaced so that a reader, a crash or a full disk sees
// either the old file or the complete new one, never a torn mix; a file
// written as it goes (a log, a recording) is put in place empty at once.

#include <cstdint>
#include <filesystem>
#include <span>

#include "files/File.h"

namespace fer {

enum class WriteOutcome {
    kDone,
    kIsLink,       // the target's name is a symbolic link: refused
    kNotRegular,   // a directory, pipe, socket or device has the name: refused
    kCreateFailed, // the temporary file could not be created
    kWriteFailed,  // writing or flushing the bytes failed
    kCloseFailed,  // closing the temporary file or renaming it failed
};

WriteOutcome replaceFileAtomically(const std::filesystem::path& target,
                                   std::span<const uint8_t> bytes) noexcept;

// A new, empty regular file in target's place, open for writing; a closed
// File on failure, with the reason in outcome when given.
File createFileInPlace(const std::filesystem::path& target,
                       WriteOutcome* outcome = nullptr) noexcept;

// The reason for a message line ("cannot write X: it is a symbolic link");
// empty for kDone.
const char* writeFailureReason(WriteOutcome outcome);

} // namespace fer

#pragma once
// Whole small files read into memory at once (input scripts, palettes,
// sources of the tools), with a limit on their size so that a device or a
// huge file cannot exhaust memory, and only from regular files (see
// File::openForRead), so that a pipe cannot stall the reader.

#include <cstdint>
#include <filesystem>
#include <string>

#include "files/File.h"

namespace fer {

enum class ReadFailure {
    kNone,
    kMissing,    // it does not exist or may not be read
    kNotRegular, // a directory, pipe, socket or device
    kOutside,    // its name leads out of the folder it must stay in
    kTooLarge,   // more than the limit
    kReadFailed, // the read itself failed
};

ReadFailure toReadFailure(OpenError error);

// Reads all of file into text when it holds at most maxSize bytes.
ReadFailure readFileText(File& file, uint64_t maxSize, std::string& text);
ReadFailure readFileText(const std::filesystem::path& path, uint64_t maxSize, std::string& text);

// The failure as the end of an English sentence about the file: "does not
// exist or cannot be read", "is not a regular file", ...
const char* describe(ReadFailure failure);

} // namespace fer

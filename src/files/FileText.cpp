#include "files/FileText.h"

#include <new>

namespace fer {

ReadFailure toReadFailure(OpenError error) {
    switch (error) {
    case OpenError::kNone: return ReadFailure::kNone;
    case OpenError::kNotRegular: return ReadFailure::kNotRegular;
    case OpenError::kOutside: return ReadFailure::kOutside;
    case OpenError::kMissing: break;
    }
    return ReadFailure::kMissing;
}

ReadFailure readFileText(File& file, uint64_t maxSize, std::string& text) {
    text.clear();
    if (!file.isOpen()) return ReadFailure::kMissing;
    const auto size = file.size();
    if (!size) return ReadFailure::kReadFailed;
    if (*size > maxSize) return ReadFailure::kTooLarge;
    try {
        text.resize(static_cast<size_t>(*size));
    } catch (const std::bad_alloc&) {
        return ReadFailure::kTooLarge;
    }
    if (!file.readExact({reinterpret_cast<uint8_t*>(text.data()), text.size()})) {
        text.clear();
        return ReadFailure::kReadFailed;
    }
    return ReadFailure::kNone;
}

ReadFailure readFileText(const std::filesystem::path& path, uint64_t maxSize, std::string& text) {
    text.clear();
    OpenError error = OpenError::kNone;
    File file = File::openForRead(path, &error);
    if (!file.isOpen()) return toReadFailure(error);
    return readFileText(file, maxSize, text);
}

const char* describe(ReadFailure failure) {
    switch (failure) {
    case ReadFailure::kNone: return "was read";
    case ReadFailure::kMissing: return "does not exist or cannot be read";
    case ReadFailure::kNotRegular: return "is not a regular file";
    case ReadFailure::kOutside: return "lies outside the game directory";
    case ReadFailure::kTooLarge: return "is too large";
    case ReadFailure::kReadFailed: return "cannot be read";
    }
    return "cannot be read";
}

} // namespace fer

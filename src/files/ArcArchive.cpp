#include "files/ArcArchive.h"

#include <cstring>

namespace fer {
namespace {

uint32_t loadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void xorLe32(uint8_t* p, uint32_t mask) {
    for (int i = 0; i < 4; ++i) p[i] ^= static_cast<uint8_t>(mask >> (8 * i));
}

} // namespace

void upperCaseAscii(std::string& text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

bool ArcArchive::load(File file, ArcLoadError* why) noexcept {
    close();
    auto fail = [why](ArcLoadError error) {
        if (why) *why = error;
        return false;
    };
    uint8_t countBytes[4];
    auto size = file.size();
    if (!size || !file.seek(0)) return fail(ArcLoadError::kUnreadable);
    if (*size < 4) return fail(ArcLoadError::kNotArchive);
    if (!file.readExact(countBytes)) return fail(ArcLoadError::kUnreadable);
    const uint32_t count = loadLe32(countBytes);
    const uint64_t directorySize = uint64_t{count} * kEntrySize;
    if (directorySize > *size - 4) return fail(ArcLoadError::kDamagedDirectory);
    try {
        std::vector<uint8_t> directory(static_cast<size_t>(directorySize));
        if (!file.readExact(directory)) return fail(ArcLoadError::kUnreadable);
        directory_ = std::move(directory);
    } catch (...) {
        return fail(ArcLoadError::kNoMemory);
    }
    if (why) *why = ArcLoadError::kNone;
    count_ = count;
    loaded_ = true;
    file_ = std::move(file);
    return true;
}

void ArcArchive::toggleScrambling() {
    uint8_t* entry = directory_.data();
    for (uint32_t i = 0; i < count_; ++i, entry += kEntrySize) {
        for (size_t k = 0; k < kNameSize; ++k) entry[k] ^= kNameMask;
        xorLe32(entry + 12, kSizeMask);
        xorLe32(entry + 16, kOffsetMask);
    }
}

std::optional<ArcEntry> ArcArchive::lookup(std::string& name) noexcept {
    upperCaseAscii(name);
    if (!loaded_) return std::nullopt;

    // Scrambles the directory again however the search ends.
    struct Unscrambled {
        ArcArchive& archive;
        explicit Unscrambled(ArcArchive& a) : archive(a) { archive.toggleScrambling(); }
        ~Unscrambled() { archive.toggleScrambling(); }
    } plain(*this);

    const uint8_t* entry = directory_.data();
    for (uint32_t i = 0; i < count_; ++i, entry += kEntrySize) {
        char text[kNameSize + 1] = {};
        std::memcpy(text, entry, kNameSize);
        // Byte for byte up to and including the terminating zero: a name
        // with a zero byte inside it never matches.
        if (std::strlen(text) == name.size() && std::memcmp(text, name.data(), name.size()) == 0) {
            return ArcEntry{loadLe32(entry + 12), loadLe32(entry + 16)};
        }
    }
    return std::nullopt;
}

std::vector<std::string> ArcArchive::names() const {
    std::vector<std::string> names;
    if (!loaded_) return names;
    names.reserve(count_);
    const uint8_t* entry = directory_.data();
    for (uint32_t i = 0; i < count_; ++i, entry += kEntrySize) {
        std::string name;
        for (size_t k = 0; k < kNameSize && (entry[k] ^ kNameMask) != 0; ++k)
            name += static_cast<char>(entry[k] ^ kNameMask);
        names.push_back(std::move(name));
    }
    return names;
}

bool ArcArchive::close() {
    loaded_ = false;
    count_ = 0;
    directory_.clear();
    directory_.shrink_to_fit();
    return file_.close();
}

} // namespace fer

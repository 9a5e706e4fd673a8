#include "files/ArcArchiveBuilder.h"

#include <cstring>

#include "files/ArcArchive.h"

namespace fer {
namespace {

void putLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

bool ArcArchiveBuilder::isValidName(std::string_view name) {
    return !name.empty() && name.size() <= ArcArchive::kNameSize &&
           name.find('\0') == std::string_view::npos;
}

bool ArcArchiveBuilder::add(std::string_view name, std::span<const uint8_t> bytes) {
    if (!isValidName(name)) return false;
    std::string upper(name);
    upperCaseAscii(upper);
    uint8_t raw[12] = {};
    std::memcpy(raw, upper.data(), upper.size());
    return addRaw(raw, bytes);
}

bool ArcArchiveBuilder::addRaw(const uint8_t (&nameBytes)[12], std::span<const uint8_t> bytes) {
    const uint64_t total = total_ + ArcArchive::kEntrySize + bytes.size();
    if (total > UINT32_MAX) return false;
    Entry entry;
    std::memcpy(entry.name, nameBytes, sizeof entry.name);
    entry.bytes.assign(bytes.begin(), bytes.end());
    entries_.push_back(std::move(entry));
    total_ = total;
    return true;
}

std::vector<uint8_t> ArcArchiveBuilder::build() const {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(total_));
    putLe32(out, static_cast<uint32_t>(entries_.size()));
    uint32_t offset = static_cast<uint32_t>(4 + entries_.size() * ArcArchive::kEntrySize);
    for (const Entry& e : entries_) {
        for (uint8_t b : e.name) out.push_back(b ^ ArcArchive::kNameMask);
        putLe32(out, static_cast<uint32_t>(e.bytes.size()) ^ ArcArchive::kSizeMask);
        putLe32(out, offset ^ ArcArchive::kOffsetMask);
        offset += static_cast<uint32_t>(e.bytes.size());
    }
    for (const Entry& e : entries_) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    return out;
}

} // namespace fer

#include "core/ScriptMemory.h"

#include <algorithm>

namespace fer {

std::string_view ScriptMemory::cString(uint64_t offset, size_t maxLength) const {
    if (offset >= kSize) return {};
    const size_t room = std::min<uint64_t>(maxLength, kSize - offset);
    const char* start = reinterpret_cast<const char*>(bytes_.get() + offset);
    const void* end = std::memchr(start, 0, room);
    return {start, end ? static_cast<size_t>(static_cast<const char*>(end) - start) : room};
}

std::string_view ScriptMemory::scriptName() const {
    return cString(kNameOffset, kNameSize - 1);
}

void ScriptMemory::setScriptName(std::string_view name) {
    const size_t n = std::min<size_t>(name.size(), kNameSize - 1);
    // Like a string copy: the bytes after the terminator keep what they held.
    std::memcpy(bytes_.get() + kNameOffset, name.data(), n);
    bytes_[kNameOffset + n] = 0;
}

} // namespace fer

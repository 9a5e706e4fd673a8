#include "debug/DumpAddress.h"

#include "core/ScriptMemory.h"

namespace fer {

std::optional<uint32_t> parseDumpAddress(std::string_view text, uint32_t dumpLength) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty() || dumpLength > ScriptMemory::kSize) return std::nullopt;
    const uint64_t last = ScriptMemory::kSize - dumpLength;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > last) return std::nullopt; // also keeps the sum from overflowing
    }
    return static_cast<uint32_t>(value);
}

} // namespace fer

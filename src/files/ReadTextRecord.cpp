#include "files/ReadTextRecord.h"

#include <cstring>

namespace fer {

namespace {
constexpr char kMagic[8] = {'F', 'E', 'R', 'R', 'E', 'A', 'D', '1'};

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
} // namespace

bool ReadTextRecord::parse(std::span<const uint8_t> bytes) {
    scripts_.clear();
    size_t at = 0;
    auto has = [&](size_t n) { return bytes.size() - at >= n; };
    auto get32 = [&] {
        const uint32_t v = static_cast<uint32_t>(bytes[at]) | bytes[at + 1] << 8 |
                           bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
        at += 4;
        return v;
    };
    auto fail = [&] {
        scripts_.clear();
        return false;
    };
    if (!has(sizeof kMagic + 4) || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return fail();
    at = sizeof kMagic;
    const uint32_t count = get32();
    if (count > kMaxScripts) return fail();
    for (uint32_t i = 0; i < count; ++i) {
        if (!has(1)) return fail();
        const size_t length = bytes[at++];
        if (length == 0 || length > kMaxNameLength || !has(length + 4)) return fail();
        std::string name(reinterpret_cast<const char*>(bytes.data() + at), length);
        at += length;
        const uint32_t size = get32();
        if (size > kMaxBitmapBytes || !has(size)) return fail();
        if (!scripts_.emplace(std::move(name), std::vector<uint8_t>(bytes.begin() + at,
                                                                    bytes.begin() + at + size))
                 .second)
            return fail(); // a script twice
        at += size;
    }
    if (at != bytes.size()) return fail();
    return true;
}

std::vector<uint8_t> ReadTextRecord::serialise() const {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    put32(out, static_cast<uint32_t>(scripts_.size()));
    for (const auto& [name, bits] : scripts_) {
        out.push_back(static_cast<uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        put32(out, static_cast<uint32_t>(bits.size()));
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

bool ReadTextRecord::isRead(std::string_view script, uint32_t address) const {
    const auto it = scripts_.find(script);
    if (it == scripts_.end() || address / 8 >= it->second.size()) return false;
    return (it->second[address / 8] >> (address % 8)) & 1;
}

bool ReadTextRecord::mark(std::string_view script, uint32_t address) {
    if (address >= kAddressLimit || script.empty() || script.size() > kMaxNameLength) return false;
    auto it = scripts_.find(script);
    if (it == scripts_.end()) {
        if (scripts_.size() >= kMaxScripts) return false;
        it = scripts_.emplace(std::string(script), std::vector<uint8_t>()).first;
    }
    std::vector<uint8_t>& bits = it->second;
    if (address / 8 >= bits.size()) bits.resize(address / 8 + 1, 0);
    const uint8_t bit = static_cast<uint8_t>(1u << (address % 8));
    if (bits[address / 8] & bit) return false;
    bits[address / 8] |= bit;
    return true;
}

} // namespace fer

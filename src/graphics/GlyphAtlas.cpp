#include "graphics/GlyphAtlas.h"

#include <algorithm>
#include <cstring>

namespace fer {

namespace {

constexpr char kMagic[8] = {'F', 'K', 'G', 'L', 'Y', 'P', 'H', '1'};
constexpr size_t kHeader = sizeof(kMagic) + 4;
constexpr size_t kEntry = 4 + 2 * GlyphAtlas::kCell;

uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

bool GlyphAtlas::add(char32_t codePoint, const GlyphMask& mask) {
    Rows rows{};
    for (int j = 0; j < GlyphMask::kSize; ++j) {
        const uint32_t bits = mask.row(j);
        if (j >= kCell ? bits != 0 : (bits >> kCell) != 0) return false;
        if (j < kCell) rows[j] = static_cast<uint16_t>(bits);
    }
    cells_[codePoint] = rows;
    return true;
}

std::vector<uint8_t> GlyphAtlas::serialize() const {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof(kMagic));
    put32(out, static_cast<uint32_t>(cells_.size()));
    for (const auto& [codePoint, rows] : cells_) {
        put32(out, static_cast<uint32_t>(codePoint));
        for (uint16_t r : rows) {
            out.push_back(static_cast<uint8_t>(r));
            out.push_back(static_cast<uint8_t>(r >> 8));
        }
    }
    return out;
}

std::optional<GlyphAtlas> GlyphAtlas::parse(std::span<const uint8_t> bytes, std::string name) {
    if (bytes.size() < kHeader || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0)
        return std::nullopt;
    const uint32_t count = read32(bytes.data() + sizeof(kMagic));
    if (count > kMaxCells || bytes.size() != kHeader + size_t(count) * kEntry) return std::nullopt;
    GlyphAtlas atlas;
    atlas.name_ = std::move(name);
    const uint8_t* p = bytes.data() + kHeader;
    for (uint32_t i = 0; i < count; ++i, p += kEntry) {
        Rows rows{};
        for (int j = 0; j < kCell; ++j)
            rows[j] = static_cast<uint16_t>(p[4 + 2 * j] | p[5 + 2 * j] << 8);
        atlas.cells_.emplace_hint(atlas.cells_.end(), static_cast<char32_t>(read32(p)), rows);
    }
    return atlas;
}

bool GlyphAtlas::rasterize(const GlyphRequest& request, GlyphMask& mask) {
    mask.clear();
    if (request.pixelWidth != kCell || request.pixelHeight != kCell) return false;
    const auto it = cells_.find(request.codePoint);
    if (it == cells_.end()) return false;
    for (int j = 0; j < kCell; ++j) mask.setRow(j, it->second[j]);
    return true;
}

} // namespace fer

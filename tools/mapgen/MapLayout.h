#pragma once
// A map as the engine reads it from script memory, built in memory and
// encoded into one block of bytes: the map block (size and 3-byte cells),
// the object block (header, program table, programs, object list,
// placements, sprites) and the trigger table. Tests, the sample game, the
// fuzz target's seeds and the benchmarks build their maps with it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mapgen {

inline constexpr uint16_t kNoTile = 1023;

inline uint32_t cellBits(uint16_t ground, uint16_t upper = kNoTile, bool wall = false) {
    return (ground & 0x3FFu) | (uint32_t(upper & 0x3FFu) << 10) | (wall ? 0x800000u : 0u);
}

struct ObjectRecord {
    uint8_t flags = 0, sprite = 0, width = 2, height = 2;
    uint16_t x = 0, y = 0;
    uint8_t pose = 0, program = 0, type = 0, count = 0;
    uint16_t pc = 0;
};

struct TriggerRecord {
    uint16_t id = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0, directions = 0xF;
};

// 16 poses x 4 tiles (a 2 x 2 character: top-left, top-right, bottom-left,
// bottom-right).
using Sprite = std::array<uint16_t, 64>;

struct MapLayout {
    uint16_t width = 0, height = 0;
    std::vector<uint32_t> cells;
    std::vector<ObjectRecord> objects;
    std::vector<std::vector<uint8_t>> programs; // each ends with its 0 byte
    std::vector<std::array<uint8_t, 4>> placements;
    std::vector<Sprite> sprites;
    std::vector<TriggerRecord> triggers;

    MapLayout() = default;
    MapLayout(uint16_t w, uint16_t h, uint16_t ground)
        : width(w), height(h), cells(size_t(w) * h, cellBits(ground)) {}
    uint32_t& cell(int x, int y) { return cells[size_t(y) * width + size_t(x)]; }
    void wall(int x, int y) { cell(x, y) |= 0x800000u; }
};

// A sprite whose pose p, cell i shows tile first + 4p + i.
Sprite sequentialSprite(uint16_t first);

struct EncodedMap {
    std::vector<uint8_t> bytes;
    // Offsets into bytes.
    uint32_t mapBlock = 0, objectBlock = 0, triggerTable = 0;
    // Offsets relative to the object block.
    uint32_t objectList = 0;
    std::vector<uint32_t> programs;
};

EncodedMap encode(const MapLayout& layout);

// The map data file as a script loads it: the map block at 0, the object
// block and the trigger table at the given offsets, fileSize bytes in all.
// Throws std::length_error when a block does not fit before the next.
std::vector<uint8_t> mapFile(const EncodedMap& e, uint32_t objectBlockAt, uint32_t triggerTableAt,
                             uint32_t fileSize);

} // namespace mapgen

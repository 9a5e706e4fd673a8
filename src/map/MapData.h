#pragma once
// Where the map lies in script memory and how its parts are read. With R32
// the value of 32-bit register 32, the map block lies at R32 + register 28,
// the object block at R32 + register 29 and the trigger table at R32 +
// register 30; the addresses are taken anew for every map command.
//
// Map block: u16 width, u16 height, then width x height cells of 3 bytes
// (bits 0-9 ground tile, 10-19 upper tile, bit 23 wall). Object block: u16
// offsets of the object list, the program table, the placement table and the
// sprite table. Nothing here trusts the data: addresses are computed in 64
// bits and read through ScriptMemory's checked accessors, a cell outside the
// map is a wall without tiles, and the object list is read up to its end
// byte or kMaxObjects records, whichever comes first.

#include <cstdint>

#include "core/ScriptMemory.h"
#include "map/MapObject.h"

namespace fer {

struct MapCell {
    static constexpr uint16_t kNoTile = 1023;
    static constexpr uint32_t kWallBit = 0x800000;
    uint32_t bits = kWallBit | (uint32_t{kNoTile} << 10) | kNoTile;
    uint16_t ground() const { return bits & 0x3FF; }
    uint16_t upper() const { return (bits >> 10) & 0x3FF; }
    bool wall() const { return (bits & kWallBit) != 0; }
};

struct Trigger {
    static constexpr uint16_t kEnd = 0xFFFF;
    uint16_t id = kEnd, x1 = 0, y1 = 0, x2 = 0, y2 = 0, directions = 0;
};

class MapData {
  public:
    // Object indexes share six bits with a tile number in the character
    // layers, so a list holds at most 64 records.
    static constexpr int kMaxObjects = 64;
    // The trigger table is read up to its end record or this many records.
    static constexpr int kMaxTriggers = 4096;

    explicit MapData(ScriptMemory& memory);

    ScriptMemory& memory() const { return *m_; }

    uint16_t headerWidth() const { return m_->word(mapBlock_); }
    uint16_t headerHeight() const { return m_->word(mapBlock_ + 2); }

    // The cell (x, y) of a map width x height cells large.
    MapCell cell(int x, int y, int width, int height) const;

    // The object list.
    int objectCount() const { return objectCount_; }
    MapObject object(int index) const {
        return MapObject(*m_, objectList_ + uint64_t(MapObject::kSize) * uint32_t(index));
    }

    // The 16-bit entry of the program table for program n.
    uint16_t programEntry(unsigned n) const { return m_->word(programTable_ + 2ull * n); }
    // The movement code at an offset from the object block.
    uint8_t code(uint32_t pc) const { return m_->byte(objectBlock_ + pc); }
    // Placement entry a: view origin x, y, object x, y.
    uint8_t placement(unsigned a, unsigned field) const {
        return m_->byte(placementTable_ + 4ull * a + field);
    }
    // The tile of cell `index` of pose `pose` of sprite `sprite`.
    uint16_t spriteTile(unsigned sprite, unsigned pose, unsigned index) const {
        return m_->word(spriteTable_ + 128ull * sprite + 8ull * (pose & 15) + 2ull * index);
    }

    Trigger trigger(int n) const;

  private:
    ScriptMemory* m_;
    uint64_t mapBlock_, objectBlock_, triggerTable_;
    uint64_t objectList_, programTable_, placementTable_, spriteTable_;
    int objectCount_ = 0;
};

} // namespace fer

#pragma once
// A map engine over its own script memory and planes, a test double of the
// engine around it, and maps built with the map builder.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "MapLayout.h"
#include "core/KeyIndex.h"
#include "core/ScriptMemory.h"
#include "graphics/PlaneSet.h"
#include "map/MapEngine.h"

namespace fer::test {

class FakeMapHost : public MapHost {
  public:
    bool keyDown(int index) override { return keys.count(index) > 0; }
    void pointerPosition(int& x, int& y) override {
        x = pointerX;
        y = pointerY;
    }
    void present(int, int, int, int) override { ++presents; }
    bool skipMovement() const override { return skip; }
    void fatalError(std::string_view title, std::string_view text) override {
        errors.emplace_back(std::string(title), std::string(text));
    }

    std::set<int> keys;
    int pointerX = 0, pointerY = 0;
    int presents = 0;
    bool skip = false;
    std::vector<std::pair<std::string, std::string>> errors;
};

class MapFixture {
  public:
    static constexpr uint32_t kAt = 0x10000; // from the code base

    MapFixture() { planes.allocate(); }

    void load(const mapgen::MapLayout& layout) {
        encoded = mapgen::encode(layout);
        std::copy(encoded.bytes.begin(), encoded.bytes.end(),
                  memory.data() + ScriptMemory::kCodeBase + kAt);
        memory.setReg32(reg32::kCodeAddress, ScriptMemory::kCodeBase);
        memory.setReg32(reg32::kMapBlock, kAt + encoded.mapBlock);
        memory.setReg32(reg32::kObjectBlock, kAt + encoded.objectBlock);
        memory.setReg32(reg32::kTriggerTable, kAt + encoded.triggerTable);
    }

    MapObject object(int i) {
        return MapObject(memory, uint64_t{ScriptMemory::kCodeBase} + kAt + encoded.objectBlock +
                                     encoded.objectList + 14u * uint32_t(i));
    }
    void op(uint32_t n, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
        engine.operation(n, a, b, c);
    }
    uint16_t result() const { return memory.reg16(reg16::kResult); }
    // Start, place object 0 from entry 0, build, start programs, show.
    void begin() {
        op(0);
        op(1, 0, 0, 1);
        op(2);
        op(4);
        op(6);
        op(10);
    }
    std::pair<int, int> position(int i) { return {object(i).x(), object(i).y()}; }

    ScriptMemory memory;
    PlaneSet planes;
    FakeMapHost host;
    MapEngine engine{memory, planes, host};
    mapgen::EncodedMap encoded;
};

// An open map w x h of ground tile 0 with one object per record given.
inline mapgen::MapLayout openMap(uint16_t w, uint16_t h) {
    mapgen::MapLayout m(w, h, 0);
    m.placements = {{0, 0, 0, 0}};
    m.sprites = {mapgen::sequentialSprite(100), mapgen::sequentialSprite(200),
                 mapgen::sequentialSprite(300)};
    m.programs = {{0x9F, 0x00}};
    return m;
}

} // namespace fer::test

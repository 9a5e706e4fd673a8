#include "MapFuzzTarget.h"

#include <algorithm>
#include <memory>

#include "core/ScriptMemory.h"
#include "graphics/PlaneSet.h"
#include "map/MapEngine.h"

namespace fer::fuzz {

namespace {

class FuzzHost : public MapHost {
  public:
    uint8_t keys = 0;
    int x = 0, y = 0;
    bool skip = false;
    bool keyDown(int index) override { return index >= 0 && index < 8 && (keys >> index) & 1; }
    void pointerPosition(int& px, int& py) override {
        px = x;
        py = y;
    }
    void present(int, int, int, int) override {}
    bool skipMovement() const override { return skip; }
    void fatalError(std::string_view, std::string_view) override {}
};

} // namespace

int mapCommands(ScriptMemory& memory, PlaneSet& planes, const uint8_t* data, size_t size) {
    uint8_t h[kMapFuzzHeader] = {};
    std::copy(data, data + std::min(size, kMapFuzzHeader), h);
    auto u16 = [&](size_t i) { return uint32_t(h[i] | (h[i + 1] << 8)); };
    auto u32 = [&](size_t i) { return u16(i) | (u16(i + 2) << 16); };

    memory.clear();
    const uint32_t load = u32(0) % ScriptMemory::kCodeSize;
    if (size > kMapFuzzHeader) {
        const size_t n = std::min<size_t>(size - kMapFuzzHeader, ScriptMemory::kCodeSize - load);
        std::copy(data + kMapFuzzHeader, data + kMapFuzzHeader + n,
                  memory.data() + ScriptMemory::kCodeBase + load);
    }
    memory.setReg32(reg32::kCodeAddress, (h[4] & 1) ? u32(5) : ScriptMemory::kCodeBase);
    const uint8_t registers[3] = {reg32::kMapBlock, reg32::kObjectBlock, reg32::kTriggerTable};
    for (int i = 0; i < 3; ++i) {
        const size_t at = 9 + 4 * size_t(i);
        memory.setReg32(registers[i], (h[4] & (2 << i)) ? u32(at) : load + u16(at));
    }
    memory.setReg16(reg16::kColourKey, h[27]);

    FuzzHost host;
    host.keys = h[21];
    host.x = int(u16(22) % 700);
    host.y = int(u16(24) % 450);
    host.skip = h[26] & 1;
    auto engine = std::make_unique<MapEngine>(memory, planes, host);
    for (uint32_t op : {0u, 2u, 4u, 6u, 10u}) engine->operation(op, 0, 0, 0);
    const int drawn = engine->cellsDrawn();
    engine->operation(1, 0, 0, 1);
    for (size_t i = 0; i < 8; ++i) {
        const uint8_t* o = h + 28 + 4 * i;
        engine->operation(o[0] % 24, o[1], o[2], o[3]);
    }
    for (int i = 0; i < h[60] % 64; ++i) {
        engine->operation(8, 0, 0, 0);
        engine->operation(13, 0, 0, 0);
    }
    return drawn;
}

} // namespace fer::fuzz

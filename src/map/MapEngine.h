#pragma once
// The tile map engine: builds the cell layers of the view from the map of
// the current script, puts the characters into them, redraws the cells that
// changed and draws the status bar, and carries out the operations of the
// map command (see docs/map.md for the table). Results go to the
// map-result register, 16-bit register 18.

#include <cstdint>

#include "core/ScriptMemory.h"
#include "graphics/PlaneSet.h"
#include "map/CellLayers.h"
#include "map/CellPainter.h"
#include "map/MapData.h"
#include "map/MapHost.h"
#include "map/MapState.h"
#include "map/StatusBar.h"
#include "map/Walkers.h"

namespace fer {

class MapEngine {
  public:
    MapEngine(ScriptMemory& memory, PlaneSet& planes, MapHost& host);

    // One map operation; unknown operations do nothing.
    void operation(uint32_t op, uint32_t a, uint32_t b, uint32_t c);

    const MapState& state() const { return state_; }
    MapState& state() { return state_; }
    const CellLayers& layers() const { return layers_; }
    const Walkers& walkers() const { return walkers_; }
    // Cells drawn by the last op 10 or WriteSub.
    int cellsDrawn() const { return cellsDrawn_; }

  private:
    void start(const MapData& data);
    void place(const MapData& data, uint32_t entry, uint32_t object, uint32_t facing);
    void buildLayers(const MapData& data);
    void putObjects(const MapData& data);
    void putObject(const MapData& data, int index);
    void drawAll();
    void writeSub();
    void setResult(uint16_t v) { memory_.setReg16(reg16::kResult, v); }
    uint8_t transparentKey() const {
        return static_cast<uint8_t>(memory_.reg16(reg16::kColourKey) & 0xFF);
    }
    bool isObject(const MapData& data, uint32_t index) const {
        return index < uint32_t(data.objectCount());
    }

    ScriptMemory& memory_;
    MapHost& host_;
    MapState state_;
    CellLayers layers_;
    CellPainter painter_;
    StatusBar statusBar_;
    Walkers walkers_;
    int cellsDrawn_ = 0;
};

} // namespace fer

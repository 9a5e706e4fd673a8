#include "map/MapEngine.h"

#include <algorithm>

#include "map/MapMessages.h"
#include "map/MapOperation.h"

namespace fer {

MapEngine::MapEngine(ScriptMemory& memory, PlaneSet& planes, MapHost& host)
    : memory_(memory), host_(host), painter_(planes), statusBar_(memory, planes),
      walkers_(state_, host) {}

void MapEngine::operation(uint32_t op, uint32_t a, uint32_t b, uint32_t c) {
    const MapData data(memory_);
    state_.failed = false;
    switch (op) {
    case map_op::kStart: start(data); break;
    case map_op::kPlace: place(data, a, b, c); break;
    case map_op::kBuildLayers: buildLayers(data); break;
    case map_op::kMarkAllChanged: layers_.markAllChanged(); break;
    case map_op::kStartPrograms: walkers_.startPrograms(data); break;
    case map_op::kStartProgram: walkers_.startProgram(data, static_cast<int>(a & 0xFF), b); break;
    case map_op::kPutObjects: putObjects(data); break;
    case map_op::kSetObjectFlags:
        if (isObject(data, a)) data.object(int(a)).setFlags(static_cast<uint8_t>(b));
        break;
    case map_op::kStepAndDraw: {
        const uint16_t r = walkers_.stepAll(data);
        if (state_.failed) break;
        if (r == Walkers::kBlocked) {
            setResult(0xFFFF);
            break;
        }
        buildLayers(data);
        putObjects(data);
        writeSub();
        setResult(r);
        break;
    }
    case map_op::kStep: {
        const uint16_t r = walkers_.stepAll(data);
        if (!state_.failed) setResult(r);
        break;
    }
    case map_op::kDrawAll: drawAll(); break;
    case map_op::kWriteSub: writeSub(); break;
    case map_op::kSetTriggerMode:
        state_.triggerMode = static_cast<uint16_t>(a);
        state_.armed = a != 0;
        state_.lastTrigger = 0xFFFF;
        break;
    case map_op::kTriggerCheck: setResult(walkers_.triggerCheck(data)); break;
    case map_op::kMoveObject:
        state_.scrollDirection = 0;
        if (b <= 3) walkers_.moveAndRecord(data, isObject(data, a) ? int(a) : -1, int(b));
        setResult(0);
        break;
    case map_op::kStartWalk:
        if (isObject(data, a)) walkers_.startWalk(data, int(a), int(b & 0xFFFF), int(c & 0xFFFF));
        break;
    case map_op::kEndWalk: walkers_.endWalk(data); break;
    case map_op::kWalkFlag: setResult(state_.autoWalk ? 0xFFFF : 0); break;
    case map_op::kTakeTrailPlace:
        if (isObject(data, a)) walkers_.takeTrailPlace(data, int(a), b);
        break;
    case map_op::kSkipMovement:
        if (isObject(data, a) && host_.skipMovement() && state_.stepBudget >= 20) {
            state_.stepBudget = static_cast<uint16_t>(state_.stepBudget - 20);
            data.object(int(a)).setType(15);
        }
        break;
    case map_op::kSetFacing:
        if (isObject(data, a)) data.object(int(a)).setPose(static_cast<uint8_t>((b & 3) << 2));
        break;
    default: break;
    }
}

void MapEngine::start(const MapData& data) {
    state_.width = data.headerWidth();
    state_.height = data.headerHeight();
    state_.byteSize = uint32_t(state_.width) * state_.height * 3 + 6;
    layers_.markAllChanged();
    state_.triggerMode = 0;
    state_.armed = false;
    state_.lastTrigger = 0xFFFF;
}

void MapEngine::place(const MapData& data, uint32_t entry, uint32_t object, uint32_t facing) {
    const unsigned a = entry & 0xFFFF;
    state_.view.originX = data.placement(a, 0);
    state_.view.originY = data.placement(a, 1);
    if (!isObject(data, object)) return;
    MapObject o = data.object(int(object));
    o.setX(data.placement(a, 2));
    o.setY(data.placement(a, 3));
    o.setPose(static_cast<uint8_t>((facing & 3) << 2));
    state_.trail.fill({o.x(), o.y(), o.pose()});
}

void MapEngine::buildLayers(const MapData& data) {
    const MapView& v = state_.view;
    for (int r = 0; r < v.height; ++r) {
        for (int c = 0; c < v.width; ++c) {
            const int col = v.left + c, row = v.top + r;
            if (!CellLayers::inside(col, row)) continue;
            const MapCell cell =
                data.cell(v.originX + c, v.originY + r, state_.width, state_.height);
            layers_.at(col, row) = {cell.ground(), cell.upper(), CellLayers::kEmpty,
                                    CellLayers::kEmpty};
        }
    }
}

void MapEngine::putObjects(const MapData& data) {
    for (int i = 0; i < data.objectCount(); ++i)
        if (data.object(i).flags() & MapObject::kVisible) putObject(data, i);
}

void MapEngine::putObject(const MapData& data, int index) {
    const MapObject o = data.object(index);
    const MapView& v = state_.view;
    const int w = o.width(), h = o.height();
    // Only the rows and columns that lie in the view.
    const int firstRow = std::max(0, v.originY - int(o.y()));
    const int lastRow = std::min(h, v.originY + v.height - int(o.y()));
    const int firstCol = std::max(0, v.originX - int(o.x()));
    const int lastCol = std::min(w, v.originX + v.width - int(o.x()));
    for (int i = firstRow; i < lastRow; ++i) {
        for (int j = firstCol; j < lastCol; ++j) {
            const int col = v.left + o.x() + j - v.originX;
            const int row = v.top + o.y() + i - v.originY;
            if (!CellLayers::inside(col, row)) continue;
            const uint16_t tile =
                data.spriteTile(o.sprite(), o.pose(), unsigned(i * w + j)) & 0x3FF;
            CellLayers::Cell& cell = layers_.at(col, row);
            if (o.flags() & MapObject::kAboveAll) {
                cell[CellLayers::kUpper] = tile | CellLayers::kSheetB;
                continue;
            }
            const auto value = static_cast<uint16_t>(tile | ((index & 0x3F) << 10));
            if (cell[CellLayers::kFirst] == CellLayers::kEmpty) {
                cell[CellLayers::kFirst] = value;
            } else if (cell[CellLayers::kSecond] == CellLayers::kEmpty) {
                // The lower one on screen is drawn in front.
                const int other = cell[CellLayers::kFirst] >> 10;
                if (o.y() >= data.object(other).y()) {
                    cell[CellLayers::kSecond] = value;
                } else {
                    cell[CellLayers::kSecond] = cell[CellLayers::kFirst];
                    cell[CellLayers::kFirst] = value;
                }
            }
            // A third character on the cell is not drawn there.
        }
    }
}

void MapEngine::drawAll() {
    cellsDrawn_ = 0;
    if (!painter_.ready()) return;
    const MapView& v = state_.view;
    const uint8_t key = transparentKey();
    for (int r = 0; r < v.height; ++r) {
        for (int c = 0; c < v.width; ++c) {
            const int col = v.left + c, row = v.top + r;
            if (!CellLayers::inside(col, row)) continue;
            painter_.draw(layers_.at(col, row), col, row, key);
            layers_.markDrawn(col, row);
            ++cellsDrawn_;
        }
    }
    statusBar_.draw();
    host_.present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
}

void MapEngine::writeSub() {
    cellsDrawn_ = 0;
    // The scan runs against the scroll: bottom to top after a scroll up,
    // right to left after a scroll left.
    bool bottomUp = false, rightToLeft = false;
    switch (state_.scrollDirection) {
    case 0:
    case 4:
    case 8:
    case 12: break;
    case 1:
    case 5: bottomUp = true; break;
    case 2:
    case 10: rightToLeft = true; break;
    case 3:
        bottomUp = true;
        rightToLeft = true;
        break;
    default:
        host_.fatalError(map_message::kMapErrorTitle, map_message::kWriteSubFailed);
        state_.failed = true;
        return;
    }
    if (!painter_.ready()) return;
    statusBar_.restoreUnder();
    const MapView& v = state_.view;
    const uint8_t key = transparentKey();
    for (int i = 0; i < v.height; ++i) {
        const int r = bottomUp ? v.height - 1 - i : i;
        for (int k = 0; k < v.width; ++k) {
            const int c = rightToLeft ? v.width - 1 - k : k;
            const int col = v.left + c, row = v.top + r;
            if (!CellLayers::inside(col, row) || !layers_.changed(col, row)) continue;
            painter_.draw(layers_.at(col, row), col, row, key);
            layers_.markDrawn(col, row);
            ++cellsDrawn_;
        }
    }
    statusBar_.draw();
    host_.present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
}

} // namespace fer

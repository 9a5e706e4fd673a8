#include "map/MapData.h"

#include "core/ScriptRegisters.h"

namespace fer {

MapData::MapData(ScriptMemory& memory) : m_(&memory) {
    const uint64_t base = memory.reg32(reg32::kCodeAddress);
    mapBlock_ = base + memory.reg32(reg32::kMapBlock);
    objectBlock_ = base + memory.reg32(reg32::kObjectBlock);
    triggerTable_ = base + memory.reg32(reg32::kTriggerTable);
    objectList_ = objectBlock_ + memory.word(objectBlock_);
    programTable_ = objectBlock_ + memory.word(objectBlock_ + 2);
    placementTable_ = objectBlock_ + memory.word(objectBlock_ + 4);
    spriteTable_ = objectBlock_ + memory.word(objectBlock_ + 6);
    while (objectCount_ < kMaxObjects) {
        const uint64_t at = objectList_ + uint64_t(MapObject::kSize) * uint32_t(objectCount_);
        // A list running off the end of memory ends there.
        if (!ScriptMemory::fits(at, 1) || memory.byte(at) == MapObject::kEndOfList) break;
        ++objectCount_;
    }
}

MapCell MapData::cell(int x, int y, int width, int height) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const uint64_t at = mapBlock_ + 4 + 3 * (uint64_t(uint32_t(y)) * uint32_t(width) + uint32_t(x));
    MapCell c;
    c.bits = m_->byte(at) | (uint32_t{m_->byte(at + 1)} << 8) | (uint32_t{m_->byte(at + 2)} << 16);
    return c;
}

Trigger MapData::trigger(int n) const {
    if (n < 0 || n >= kMaxTriggers) return {};
    const uint64_t at = triggerTable_ + 12ull * uint32_t(n);
    if (!ScriptMemory::fits(at, 12)) return {};
    return {m_->word(at),     m_->word(at + 2), m_->word(at + 4),
            m_->word(at + 6), m_->word(at + 8), m_->word(at + 10)};
}

} // namespace fer

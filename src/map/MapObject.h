#pragma once
// One 14-byte character record of the object list, read and written in
// place in script memory. Every access goes through ScriptMemory's checked
// accessors, so a record near the end of memory reads 0 and drops writes.

#include <cstdint>

#include "core/ScriptMemory.h"

namespace fer {

class MapObject {
  public:
    static constexpr uint32_t kSize = 14;
    static constexpr uint8_t kEndOfList = 0xFF;

    // Flags.
    static constexpr uint8_t kVisible = 0x01;
    static constexpr uint8_t kSolid = 0x02;
    static constexpr uint8_t kAboveAll = 0x04;
    static constexpr uint8_t kStoppedByObjects = 0x08;
    static constexpr uint8_t kStoppedByWalls = 0x10;
    static constexpr uint8_t kViewFollows = 0x20;
    static constexpr uint8_t kTracked = 0x40;

    static constexpr uint8_t kEndless = 255;

    MapObject(ScriptMemory& memory, uint64_t at) : m_(&memory), at_(at) {}

    uint8_t flags() const { return m_->byte(at_); }
    void setFlags(uint8_t v) { m_->setByte(at_, v); }
    uint8_t sprite() const { return m_->byte(at_ + 1); }
    // Width and height in cells; a record that says 0 counts as 1.
    int width() const { return atLeastOne(m_->byte(at_ + 2)); }
    int height() const { return atLeastOne(m_->byte(at_ + 3)); }
    uint8_t rawWidth() const { return m_->byte(at_ + 2); }
    uint8_t rawHeight() const { return m_->byte(at_ + 3); }
    uint16_t x() const { return m_->word(at_ + 4); }
    void setX(uint16_t v) { m_->setWord(at_ + 4, v); }
    uint16_t y() const { return m_->word(at_ + 6); }
    void setY(uint16_t v) { m_->setWord(at_ + 6, v); }
    uint8_t pose() const { return m_->byte(at_ + 8); }
    void setPose(uint8_t v) { m_->setByte(at_ + 8, v); }
    int facing() const { return (pose() >> 2) & 3; }
    uint8_t program() const { return m_->byte(at_ + 9); }
    void setProgram(uint8_t v) { m_->setByte(at_ + 9, v); }
    uint8_t type() const { return m_->byte(at_ + 10); }
    void setType(uint8_t v) { m_->setByte(at_ + 10, v); }
    uint8_t count() const { return m_->byte(at_ + 11); }
    void setCount(uint8_t v) { m_->setByte(at_ + 11, v); }
    uint16_t pc() const { return m_->word(at_ + 12); }
    void setPc(uint16_t v) { m_->setWord(at_ + 12, v); }

  private:
    static int atLeastOne(uint8_t v) { return v == 0 ? 1 : v; }

    ScriptMemory* m_;
    uint64_t at_;
};

} // namespace fer

#include "core/TextCursor.h"

namespace fer {

void advanceTextCursor(ScriptMemory& mem, uint32_t advance) {
    const uint32_t charAdvance = mem.reg16(reg16::kAdvance);
    const uint32_t lineAdvance = mem.reg16(reg16::kLineAdvance);
    mem.setReg16(reg16::kCursorX, static_cast<uint16_t>(mem.reg16(reg16::kCursorX) + advance));
    if (uint32_t{mem.reg16(reg16::kCursorX)} + charAdvance > mem.reg16(reg16::kAreaRight)) {
        mem.setReg16(reg16::kCursorX, mem.reg16(reg16::kAreaLeft));
        mem.setReg16(reg16::kCursorY,
                     static_cast<uint16_t>(mem.reg16(reg16::kCursorY) + lineAdvance));
    }
    if (uint32_t{mem.reg16(reg16::kCursorY)} + lineAdvance > mem.reg16(reg16::kAreaBottom)) {
        mem.setReg16(reg16::kCursorX, mem.reg16(reg16::kAreaLeft));
        mem.setReg16(reg16::kCursorY, mem.reg16(reg16::kAreaTop));
    }
}

void presentTextArea(const ScriptMemory& mem, TextSink& sink) {
    if (mem.reg16(reg16::kPlane) != 0) return;
    const int left = mem.reg16(reg16::kAreaLeft);
    const int top = mem.reg16(reg16::kAreaTop);
    sink.present(left, top, mem.reg16(reg16::kAreaRight) - left + 1,
                 mem.reg16(reg16::kAreaBottom) - top + 1);
}

} // namespace fer

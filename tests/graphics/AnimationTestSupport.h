#pragma once
// Animation data laid out in script memory as the animation channels read
// them, and a rig of the engine parts they draw with.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "GraphicsTestSupport.h"
#include "core/ScriptRegisters.h"
#include "graphics/AnimationChannels.h"
#include "graphics/GraphicsCommands.h"

namespace fer::test {

class AnimationRig {
  public:
    static constexpr uint32_t kBase = 0x20000; // 32-bit register 27

    AnimationRig()
        : host(&machine.memory),
          graphics(machine.memory, planes, palette, host, ImageLoader::Format::kBitmap),
          channels(machine.memory, planes, palette, graphics, host) {
        planes.allocate();
        machine.memory.setReg32(reg32::kAnimationData, kBase);
        machine.memory.setControlWord(control::kInitial);
    }

    ScriptMemory& memory() { return machine.memory; }

    // Program n at `offset` from the program base (offsets below 32 would
    // overlap the table of the first programs).
    void program(uint32_t n, uint16_t offset, std::initializer_list<uint8_t> bytes) {
        memory().setWord(kBase + AnimationChannels::kProgramTable + 2 * n, offset);
        uint32_t at = kBase + AnimationChannels::kProgramBase + offset;
        for (uint8_t b : bytes) memory().setByte(at++, b);
    }
    // The step record of a code: kind and plane bits, then x, y, w, h,
    // destination x, y, output x, y.
    void record(uint8_t code, uint8_t head, std::initializer_list<uint16_t> fields) {
        const uint32_t at = kBase + AnimationChannels::kStepRecords +
                            AnimationChannels::kStepRecordSize * code;
        memory().setByte(at, head);
        uint32_t i = 0;
        for (uint16_t f : fields) memory().setWord(at + 1 + 2 * i++, f);
    }
    // Operation op of the animation command on channel n.
    void command(uint32_t op, uint32_t n = 0) { channels.command(numbers({op, n})); }
    // Loads channel n with program n and starts it with operation op (1 or 2).
    void start(uint32_t n, uint32_t op = 2) {
        command(0, n);
        command(op, n);
    }
    uint8_t state(size_t n = 0) const { return channels.channel(n).state; }

    ScriptMachine machine;
    PlaneSet planes;
    PaletteManager palette;
    FakeGraphicsHost host;
    GraphicsCommands graphics;
    AnimationChannels channels;
};

} // namespace fer::test

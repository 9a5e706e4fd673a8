// Animation programs and particle effects under random commands and ticks.
//
// Input: a 32-byte header, then bytes copied to script memory at A + 3777
// (the step records, then from A + 4096 the program table and programs),
// where A is the animation data register (32-bit register 27).
//   0..3   A: the low 16 bits, or all 32 when bit 0 of byte 4 is set
//   4      bit 0: A is taken whole; bits 1..7: the particle commands' choice
//   5      bit 0: the animate bit of the control word
//   8..31  eight operations: (animation operation mod 8, channel, ticks
//          that follow, mod 32); a channel byte of 0xF0 and more runs a particle
//          command instead (start, stop, resume one of the effects)
// Every tick steps the channels and both particle effects.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/ArgumentList.h"
#include "core/ScriptMemory.h"
#include "core/ScriptRegisters.h"
#include "graphics/AnimationChannels.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/NullGraphicsHost.h"
#include "graphics/PaletteManager.h"
#include "graphics/ParticleEffects.h"
#include "graphics/PlaneSet.h"

namespace {

using namespace fer;

// A host whose pump gives up after a bounded number of waits: an awaited
// channel that never ends cannot hang the run.
class BoundedHost : public NullGraphicsHost {
  public:
    int pump() override { return ++pumps < 64 ? 1 : 0; }
    int pumps = 0;
};

struct Rig {
    Rig()
        : graphics(memory, planes, palette, host, ImageLoader::Format::kBitmap),
          channels(memory, planes, palette, graphics, host),
          particles(planes, host, [this] { return seed; }) {
        planes.allocate();
    }
    ScriptMemory memory;
    PlaneSet planes;
    PaletteManager palette;
    BoundedHost host;
    GraphicsCommands graphics;
    AnimationChannels channels;
    ParticleEffects particles;
    uint32_t seed = 1;
};

void setArgument(ArgumentList& args, uint32_t value) {
    Argument* a = args.beginEntry();
    if (!a) return;
    a->setKind(Argument::kNumber);
    a->setValue(value);
    args.endEntry();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    constexpr size_t kHeader = 32;
    uint8_t h[kHeader] = {};
    std::copy_n(data, std::min(size, kHeader), h);

    // Only the region a previous input wrote needs clearing: the data lie
    // below A + 4096 + 64 KiB of programs, so clear all of it at once.
    static uint32_t lastStart = 0, lastLength = 0;
    std::fill_n(rig.memory.data() + lastStart, lastLength, 0);
    rig.memory.setReg16(reg16::kControlWord, 0);
    rig.channels.reset();
    rig.host.pumps = 0;

    uint32_t a = uint32_t(h[0]) | uint32_t(h[1]) << 8;
    if (h[4] & 1) a |= uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    rig.memory.setReg32(reg32::kAnimationData, a);
    rig.seed = h[4] >> 1;
    if (h[5] & 1) rig.memory.setControlBits(control::kAnimate);

    const uint64_t at = uint64_t{a} + AnimationChannels::kStepRecords;
    if (size > kHeader && at < ScriptMemory::kSize) {
        const size_t n = std::min<uint64_t>(size - kHeader, ScriptMemory::kSize - at);
        std::copy_n(data + kHeader, n, rig.memory.data() + at);
        lastStart = static_cast<uint32_t>(at);
        lastLength = static_cast<uint32_t>(n);
    } else {
        lastLength = 0;
    }

    uint32_t tick = 0;
    for (size_t i = 8; i + 2 < kHeader; i += 3) {
        const uint8_t op = h[i], channel = h[i + 1], ticks = h[i + 2];
        if (channel >= 0xF0) {
            static constexpr uint32_t kParticleCommands[] = {
                ParticleEffects::kStartA, ParticleEffects::kStopA,     ParticleEffects::kStartB,
                ParticleEffects::kStopB,  ParticleEffects::kStopAToo, ParticleEffects::kResumeA};
            rig.particles.execute(kParticleCommands[op % 6]);
        } else {
            ArgumentList args;
            setArgument(args, op % 8);
            setArgument(args, channel);
            rig.channels.command(args);
        }
        for (uint32_t t = 0; t < ticks % 32u; ++t) {
            rig.channels.tick();
            rig.particles.tick(++tick);
        }
    }
    rig.particles.execute(ParticleEffects::kStopA);
    rig.particles.execute(ParticleEffects::kStopB);
    return 0;
}

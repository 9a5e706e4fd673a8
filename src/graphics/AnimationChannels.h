#pragma once
// The animation object: ten channels that play byte programs from script
// memory on the timer's ticks (system command 3 loads, starts, stops and
// waits for them).
//
// Where the data lie (A = 32-bit register 27, offsets into script memory):
// program n starts at A + 4096 + the 16-bit offset at A + 4097 + 2n; the
// 17-byte step record of code c lies at A + 3777 + 17c; a palette record of
// code 150 lies at A + 4096 + its offset. Every read goes through
// ScriptMemory's bounded accessors (outside the memory reads 0), and every
// rectangle goes through the clipping rectangle engine, so bad data draw
// nonsense at worst, never outside a plane.
//
// Threads: main thread only. The timer thread records ticks; the shell
// applies them here (tick) at its sync point.

#include <array>
#include <cstdint>

#include "core/ArgumentList.h"
#include "core/CommandTable.h"
#include "core/ScriptMemory.h"
#include "graphics/AnimationChannel.h"
#include "graphics/BlockTransfer.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/GraphicsHost.h"
#include "graphics/PaletteManager.h"
#include "graphics/PlaneSet.h"

namespace fer {

class AnimationChannels {
  public:
    static constexpr uint32_t kCommand = 3;
    static constexpr size_t kChannels = 10;
    static constexpr uint32_t kProgramBase = 4096;
    static constexpr uint32_t kProgramTable = 4097;
    static constexpr uint32_t kStepRecords = 3777;
    static constexpr uint32_t kStepRecordSize = 17;
    static constexpr uint32_t kPaletteEntries = 236;

    // The codes a program is made of; every other code draws its step record.
    enum Code : uint8_t {
        kNothing = 0,
        kStopMark = 1,
        kDelay = 2,
        kRestart = 3,
        kStop = 4,
        kLoop1 = 5,
        kRepeat1 = 6,
        kLoop2 = 7,
        kRepeat2 = 8,
        kPalette = 150,
        kEnd = 255,
    };
    // Step record kinds (high nibble of the record's first byte).
    enum Kind : uint8_t {
        kCopy = 0x10,
        kTransparentCopy = 0x20,
        kExchange = 0x30,
        kCompose = 0x50,
        kFill = 0x60,
    };

    AnimationChannels(ScriptMemory& memory, PlaneSet& planes, PaletteManager& palette,
                      GraphicsCommands& graphics, GraphicsHost& host)
        : memory_(memory), palette_(palette), graphics_(graphics), host_(host),
          blocks_(planes, host) {}

    // Registers system command 3.
    void registerWith(CommandTable& table);
    // The animation command: arg 0 the operation 0..7, arg 1 the channel.
    void command(const ArgumentList& args);

    // One timer tick: while the control word's animate bit is set, one step
    // of every channel that runs.
    void tick();
    // One step of channel n (whatever the animate bit says).
    void step(size_t n);
    // All channels idle, as after start-up.
    void reset() { channels_.fill({}); }

    const AnimationChannel& channel(size_t n) const { return channels_.at(n); }

  private:
    // Program n's start, pc and loops; state and delay stay.
    void load(AnimationChannel& c, uint32_t program);
    uint8_t next(AnimationChannel& c);
    void draw(uint8_t code);
    void setPalette(uint32_t offset);
    void copy(uint8_t bits, uint32_t mode, const uint16_t* f);
    void compose(uint8_t bits, const uint16_t* f);
    uint64_t base() const { return memory_.reg32(reg32::kAnimationData); }

    ScriptMemory& memory_;
    PaletteManager& palette_;
    GraphicsCommands& graphics_;
    GraphicsHost& host_;
    BlockTransfer blocks_;
    std::array<AnimationChannel, kChannels> channels_{};
};

} // namespace fer

#pragma once
// Tells a script that waits from one that computes, so that the pump can give
// the processor back while the player thinks. A pass of the pump is quiet
// when no event came in and nothing the script can see changed: the picture
// shown, the key-state word, the mouse, the Shift key and the window state.
// After a run of quiet passes the script memory is compared with how it was
// at the previous check: a script whose memory stayed the same over a run of
// quiet passes can only be going round a loop that waits (a computing script
// keeps every counter it has in that memory), and it goes on waiting until
// something it can see changes. Registers and flags are compared first, so a
// computing script costs a 4 KiB compare now and then.
//
// A tick does not restart the quiet run: a waiting loop that only sees the
// ticks go by would otherwise never be found waiting. While the script waits,
// the pass that brings a tick does not wait (a loop over the ticks must see
// it at once, and the script may answer it); after it the script gets a short
// run of quiet passes, then its registers and flags are compared (the whole
// memory at every few ticks) before it waits again.

#include <cstdint>
#include <memory>

#include "core/ScriptMemory.h"

namespace fer {

class IdleDetector {
  public:
    // What the script can see, taken after each pass.
    struct Seen {
        uint64_t presents = 0;
        uint32_t ticks = 0;
        uint16_t keys = 0;
        int mouseX = 0;
        int mouseY = 0;
        bool shift = false;
        int windowState = 0;
        bool operator==(const Seen&) const = default;
    };

    // Quiet looks before the memory is compared.
    static constexpr uint32_t kQuietPassesBeforeCheck = 64;
    // Quiet looks after a tick before the script waits again.
    static constexpr uint32_t kQuietPassesAfterTick = 4;
    // While waiting, the whole memory is compared after every this many
    // ticks (the registers and flags after every tick).
    static constexpr uint32_t kTicksPerWholeCheck = 16;

    IdleDetector();

    // Called after every pass; true when the script is waiting, and the
    // caller may wait for the next event (or the next tick) before the next
    // pass.
    bool waiting(bool handledEvent, const Seen& seen, const ScriptMemory& memory);

    // Whether the script was found waiting at the last look (every pass
    // is looked at then).
    bool waitingNow() const { return waiting_; }

    // How many times the memory (or its registers) was compared (for tests).
    uint64_t checks() const { return checks_; }

  private:
    // Compares the memory with the copy of the last check and refreshes the
    // copy where it differs; true when nothing differed.
    bool memoryUnchanged(const ScriptMemory& memory);
    // The same for the registers, flags and script name only.
    bool headUnchanged(const ScriptMemory& memory);

    Seen last_{};
    uint32_t quietPasses_ = 0;
    bool waiting_ = false;
    // A tick came while the script waited: the short run before the next look.
    bool afterTick_ = false;
    uint32_t ticksWaited_ = 0;
    uint64_t checks_ = 0;
    std::unique_ptr<uint8_t[]> copy_;
};

} // namespace fer

#pragma once
// One animation channel: a small byte program in script memory that the
// timer's ticks step through, one code per tick.

#include <cstdint>

namespace fer {

struct AnimationChannel {
    enum State : uint8_t {
        kIdle = 0,
        kUntilStopMark = 1, // code 1 stops it
        kAwaited = 2,       // a script waits for it to stop (animation command 4)
        kIgnoringStopMarks = 255,
    };

    uint8_t state = kIdle;
    uint8_t delay = 0;     // ticks still to wait before the next step
    uint64_t program = 0;  // where the program starts in script memory
    uint32_t pc = 0;       // the next byte, counted from the program's start
    uint32_t loopStart1 = 0;
    uint32_t loopStart2 = 0;
    uint8_t loopCount1 = 0;
    uint8_t loopCount2 = 0;
};

} // namespace fer

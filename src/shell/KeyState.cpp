#include "shell/KeyState.h"

namespace fer {

uint16_t KeyState::bitFor(int code) {
    switch (code) {
    case 38:
    case 104: return kUp;
    case 40:
    case 98: return kDown;
    case 37:
    case 100: return kLeft;
    case 39:
    case 102: return kRight;
    case 17: return kSkip;
    case 13:
    case 32:
    case 0x201:
    case 0x202: return kDecide;
    case 27:
    case 0x204:
    case 0x205: return kCancel;
    default: return 0;
    }
}

uint16_t KeyState::bitForQuery(int index) {
    switch (index) {
    case 0:
    case 8: return kDecide;
    case 1: return kCancel;
    case 2: return kUp;
    case 3: return kDown;
    case 4: return kLeft;
    case 5: return kRight;
    case 7: return kSkip;
    default: return 0;
    }
}

bool KeyState::query(int index) {
    const uint16_t bit = bitForQuery(index);
    const bool down = ((word_ | latched_) & bit) != 0;
    latched_ &= static_cast<uint16_t>(~bit);
    return down;
}

bool KeyState::peek(int index) const {
    return ((word_ | latched_) & bitForQuery(index)) != 0;
}

} // namespace fer

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

bool KeyState::query(int index) const {
    switch (index) {
    case 0:
    case 8: return word_ & kDecide;
    case 1: return word_ & kCancel;
    case 2: return word_ & kUp;
    case 3: return word_ & kDown;
    case 4: return word_ & kLeft;
    case 5: return word_ & kRight;
    case 7: return word_ & kSkip;
    default: return false;
    }
}

} // namespace fer

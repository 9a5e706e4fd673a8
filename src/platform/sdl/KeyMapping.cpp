#include "platform/sdl/KeyMapping.h"

namespace fer {

int virtualKeyForScancode(int code) {
    switch (code) {
    case scancode::kReturn:
    case scancode::kKeypadEnter: return 13;
    case scancode::kEscape: return 27;
    case scancode::kSpace: return 32;
    case scancode::kLeft: return 37;
    case scancode::kUp: return 38;
    case scancode::kRight: return 39;
    case scancode::kDown: return 40;
    case scancode::kPageUp: return 33;
    case scancode::kPageDown: return 34;
    case scancode::kKeypad2: return 98;
    case scancode::kKeypad4: return 100;
    case scancode::kKeypad6: return 102;
    case scancode::kKeypad8: return 104;
    case scancode::kLeftCtrl:
    case scancode::kRightCtrl: return 17;
    case scancode::kLeftShift:
    case scancode::kRightShift: return 16;
    default: return 0;
    }
}

int mouseButtonMessage(int button, bool down) {
    if (button == mouse::kLeftButton) return down ? 0x201 : 0x202;
    if (button == mouse::kRightButton) return down ? 0x204 : 0x205;
    return 0;
}

} // namespace fer

#pragma once
// One input or window event, as the engine sees it. Keys arrive as the
// virtual-key codes of the key-state word (13 Enter, 27 Esc, 32 Space, 37..40
// arrows, 98/100/102/104 keypad, 17 Ctrl, 16 Shift); mouse buttons as their
// message numbers (0x201/0x202 left down/up, 0x204/0x205 right down/up).

#include <cstdint>
#include <string>

namespace fer {

struct PlatformEvent {
    enum class Type {
        kKeyDown,          // code = virtual-key code or mouse message number
        kKeyUp,            // code as for kKeyDown
        kMouseMove,        // x, y in 640x400 client coordinates
        kClose,            // the player asks to close the window
        kActivate,         // the window got the focus
        kDeactivate,       // the window lost the focus
        kMinimise,         // the window was minimised
        kRestore,          // the window is back at its normal size
        kMaximise,         // the window was maximised
        kToggleFullScreen, // the player asks for full screen or back (Alt+Enter, F11)
        kMenu,             // code = menu item id
        kDropFile,         // text = path of the dropped file
        kExpose,           // the window needs repainting
        kScreenshot,       // the player asks for a screenshot (F12)
        kText,             // text = text typed into the focused text field
        kEndSession,       // a stop signal ends the session: close without asking
        kWheel,            // the mouse wheel turned: code 1 up, -1 down
    };
    Type type = Type::kExpose;
    int code = 0;
    int x = 0;
    int y = 0;
    std::string text;
};

} // namespace fer

#pragma once
// From physical keys and mouse buttons to the codes of the key-state word.
// Keys are identified by their USB HID usage id (the scancodes SDL reports),
// so the keypad keys map the same with NumLock on or off and whatever the
// keyboard layout.

namespace fer {

namespace scancode {
// USB HID keyboard usage ids of the keys the engine reads.
inline constexpr int kReturn = 40;
inline constexpr int kEscape = 41;
inline constexpr int kSpace = 44;
inline constexpr int kF12 = 69;
inline constexpr int kPageUp = 75;
inline constexpr int kPageDown = 78;
inline constexpr int kRight = 79;
inline constexpr int kLeft = 80;
inline constexpr int kDown = 81;
inline constexpr int kUp = 82;
inline constexpr int kKeypadEnter = 88;
inline constexpr int kKeypad2 = 90;
inline constexpr int kKeypad4 = 92;
inline constexpr int kKeypad6 = 94;
inline constexpr int kKeypad8 = 96;
inline constexpr int kLeftCtrl = 224;
inline constexpr int kLeftShift = 225;
inline constexpr int kRightCtrl = 228;
inline constexpr int kRightShift = 229;
} // namespace scancode

// The virtual-key code of a key (13 Enter, 27 Esc, 32 Space, 37..40 arrows,
// 98/100/102/104 keypad 2/4/6/8, 17 Ctrl, 16 Shift, 33/34 Page Up/Down, which
// turn the debug views' pages), or 0 for a key the engine does not read.
int virtualKeyForScancode(int scancode);

namespace mouse {
inline constexpr int kLeftButton = 1; // button numbers as SDL reports them
inline constexpr int kRightButton = 3;
} // namespace mouse

// The message number of a mouse button event (0x201/0x202 left down/up,
// 0x204/0x205 right down/up), or 0 for another button.
int mouseButtonMessage(int button, bool down);

} // namespace fer

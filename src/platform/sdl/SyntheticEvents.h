#pragma once
// Synthetic SDL input for the SDL backend's tests: key, mouse, window and
// drop events pushed into SDL's queue as the video driver would post them,
// so the backend's own event translation runs (with the dummy video driver
// nothing else produces events). Keys are USB HID usage ids (KeyMapping.h).

#include <cstdint>
#include <string>
#include <vector>

namespace fer::synthetic {

// A key press or release. With numLock false a keypad key carries the
// navigation key's key code and no NumLock modifier, as with NumLock off.
bool pushKey(uint32_t windowId, int scancode, bool down, bool numLock = true);
// A mouse button (1 left, 3 right) at a window point.
bool pushMouseButton(uint32_t windowId, int button, bool down, int windowX, int windowY);
bool pushMouseMotion(uint32_t windowId, int windowX, int windowY);

enum class WindowChange { kClose, kFocusGained, kFocusLost, kMinimised, kRestored, kExposed };
bool pushWindowEvent(uint32_t windowId, WindowChange change);

// A drop of one or more files: begin, one event per file, complete.
bool pushDrop(uint32_t windowId, const std::vector<std::string>& paths);

} // namespace fer::synthetic

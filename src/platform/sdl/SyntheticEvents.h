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
// With alt the left Alt key is held.
bool pushKey(uint32_t windowId, int scancode, bool down, bool numLock = true, bool alt = false);
// A mouse button (1 left, 3 right) at a window point.
bool pushMouseButton(uint32_t windowId, int button, bool down, int windowX, int windowY);
bool pushMouseMotion(uint32_t windowId, int windowX, int windowY);

enum class WindowChange {
    kClose,
    kFocusGained,
    kFocusLost,
    kMinimised,
    kRestored,
    kExposed,
    kMaximised
};
bool pushWindowEvent(uint32_t windowId, WindowChange change);

// A drop of one or more files: begin, one event per file, complete.
bool pushDrop(uint32_t windowId, const std::vector<std::string>& paths);

// A game controller made by SDL's virtual joystick API, plugged in while it
// lives: buttons and axes as SDL's game controller numbers them.
class VirtualGamepad {
  public:
    VirtualGamepad();
    ~VirtualGamepad();
    VirtualGamepad(const VirtualGamepad&) = delete;
    VirtualGamepad& operator=(const VirtualGamepad&) = delete;

    bool attached() const { return device_ >= 0 && joystick_ != nullptr; }
    bool setButton(int button, bool down);
    bool setAxis(int axis, int value);
    // Pulls it out (also done at destruction).
    void detach();

  private:
    int device_ = -1;
    void* joystick_ = nullptr; // SDL_Joystick, kept out of this header
};

} // namespace fer::synthetic

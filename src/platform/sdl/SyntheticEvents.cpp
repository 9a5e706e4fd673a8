#include "platform/sdl/SyntheticEvents.h"

#include <SDL.h>

#include "platform/sdl/KeyMapping.h"

namespace fer::synthetic {

namespace {

bool push(SDL_Event& event) {
    return SDL_PushEvent(&event) == 1;
}

// The key code a keypad key reports with NumLock off.
SDL_Keycode navigationKey(int code) {
    switch (code) {
    case scancode::kKeypad8: return SDLK_UP;
    case scancode::kKeypad2: return SDLK_DOWN;
    case scancode::kKeypad4: return SDLK_LEFT;
    case scancode::kKeypad6: return SDLK_RIGHT;
    default: return SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(code));
    }
}

} // namespace

bool pushKey(uint32_t windowId, int code, bool down, bool numLock, bool alt) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.timestamp = SDL_GetTicks();
    event.key.windowID = windowId;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(code);
    event.key.keysym.sym =
        numLock ? SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(code)) : navigationKey(code);
    event.key.keysym.mod =
        static_cast<Uint16>((numLock ? KMOD_NUM : KMOD_NONE) | (alt ? KMOD_LALT : KMOD_NONE));
    return push(event);
}

bool pushMouseButton(uint32_t windowId, int button, bool down, int windowX, int windowY) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.timestamp = SDL_GetTicks();
    event.button.windowID = windowId;
    event.button.button = static_cast<Uint8>(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = windowX;
    event.button.y = windowY;
    return push(event);
}

bool pushMouseMotion(uint32_t windowId, int windowX, int windowY) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.timestamp = SDL_GetTicks();
    event.motion.windowID = windowId;
    event.motion.x = windowX;
    event.motion.y = windowY;
    return push(event);
}

bool pushWindowEvent(uint32_t windowId, WindowChange change) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = windowId;
    switch (change) {
    case WindowChange::kClose: event.window.event = SDL_WINDOWEVENT_CLOSE; break;
    case WindowChange::kFocusGained: event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED; break;
    case WindowChange::kFocusLost: event.window.event = SDL_WINDOWEVENT_FOCUS_LOST; break;
    case WindowChange::kMinimised: event.window.event = SDL_WINDOWEVENT_MINIMIZED; break;
    case WindowChange::kRestored: event.window.event = SDL_WINDOWEVENT_RESTORED; break;
    case WindowChange::kMaximised: event.window.event = SDL_WINDOWEVENT_MAXIMIZED; break;
    case WindowChange::kExposed: event.window.event = SDL_WINDOWEVENT_EXPOSED; break;
    }
    return push(event);
}

bool pushDrop(uint32_t windowId, const std::vector<std::string>& paths) {
    SDL_Event begin{};
    begin.type = SDL_DROPBEGIN;
    begin.drop.windowID = windowId;
    if (!push(begin)) return false;
    for (const auto& path : paths) {
        SDL_Event file{};
        file.type = SDL_DROPFILE;
        file.drop.windowID = windowId;
        file.drop.file = SDL_strdup(path.c_str()); // the receiver frees it
        if (!push(file)) {
            SDL_free(file.drop.file);
            return false;
        }
    }
    SDL_Event complete{};
    complete.type = SDL_DROPCOMPLETE;
    complete.drop.windowID = windowId;
    return push(complete);
}

} // namespace fer::synthetic

namespace fer::synthetic {

VirtualGamepad::VirtualGamepad() {
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) return;
    // Buttons and axes numbered as the game controller numbers them.
    device_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                        SDL_CONTROLLER_BUTTON_MAX, 0);
    if (device_ >= 0) joystick_ = SDL_JoystickOpen(device_);
}

VirtualGamepad::~VirtualGamepad() {
    detach();
}

bool VirtualGamepad::setButton(int button, bool down) {
    return attached() && SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(joystick_), button,
                                                      down ? SDL_PRESSED : SDL_RELEASED) == 0;
}

bool VirtualGamepad::setAxis(int axis, int value) {
    return attached() && SDL_JoystickSetVirtualAxis(static_cast<SDL_Joystick*>(joystick_), axis,
                                                    static_cast<Sint16>(value)) == 0;
}

void VirtualGamepad::detach() {
    if (joystick_) SDL_JoystickClose(static_cast<SDL_Joystick*>(joystick_));
    joystick_ = nullptr;
    if (device_ >= 0) SDL_JoystickDetachVirtual(device_);
    device_ = -1;
}

} // namespace fer::synthetic

#include "platform/sdl/SdlGamepads.h"

namespace fer {

namespace {
// The virtual-key codes of the key-state word.
constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kCtrl = 17;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;

// What holds a key: a button by its number, a stick direction after them.
constexpr int kStickSource = 1000;

int keyForButton(int button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return kEnter;
    case SDL_CONTROLLER_BUTTON_B: return kEscape;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return kCtrl;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return kUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return kDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return kLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return kRight;
    default: return 0;
    }
}
} // namespace

SdlGamepads::SdlGamepads() {
    started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

SdlGamepads::~SdlGamepads() {
    pads_.clear();
    if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlGamepads::press(Pad& pad, int source, int key, bool down) {
    const auto it = pad.held.find(source);
    if (down == (it != pad.held.end())) return; // no change
    PlatformEvent e;
    e.type = down ? PlatformEvent::Type::kKeyDown : PlatformEvent::Type::kKeyUp;
    e.code = key;
    events_.push_back(e);
    if (down)
        pad.held[source] = key;
    else
        pad.held.erase(it);
}

void SdlGamepads::axis(Pad& pad, int which, int value) {
    int negative = 0, positive = 0;
    if (which == SDL_CONTROLLER_AXIS_LEFTX) {
        negative = kLeft;
        positive = kRight;
    } else if (which == SDL_CONTROLLER_AXIS_LEFTY) {
        negative = kUp;
        positive = kDown;
    } else {
        return;
    }
    const int negSource = kStickSource + 2 * which;
    const int posSource = negSource + 1;
    // Pressed past kPressAt, released below kReleaseAt: no flicker at the edge.
    const bool negHeld = pad.held.count(negSource) != 0;
    const bool posHeld = pad.held.count(posSource) != 0;
    const bool negDown = negHeld ? value < -kReleaseAt : value <= -kPressAt;
    const bool posDown = posHeld ? value > kReleaseAt : value >= kPressAt;
    // Across from one side to the other: the old direction is let go first.
    if (!negDown) press(pad, negSource, negative, false);
    if (!posDown) press(pad, posSource, positive, false);
    if (negDown) press(pad, negSource, negative, true);
    if (posDown) press(pad, posSource, positive, true);
}

bool SdlGamepads::handle(const SDL_Event& e) {
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which);
        if (!c) return true;
        const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
        pads_[id].controller.reset(c);
        return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
        const auto it = pads_.find(e.cdevice.which);
        if (it == pads_.end()) return true;
        // Nothing stays held by a controller that is gone.
        while (!it->second.held.empty()) {
            const auto [source, key] = *it->second.held.begin();
            press(it->second, source, key, false);
        }
        pads_.erase(it);
        return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        const auto it = pads_.find(e.cbutton.which);
        const int key = keyForButton(e.cbutton.button);
        if (it != pads_.end() && key != 0)
            press(it->second, e.cbutton.button, key, e.type == SDL_CONTROLLERBUTTONDOWN);
        return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
        const auto it = pads_.find(e.caxis.which);
        if (it != pads_.end()) axis(it->second, e.caxis.axis, e.caxis.value);
        return true;
    }
    default: return false;
    }
}

bool SdlGamepads::next(PlatformEvent& out) {
    if (events_.empty()) return false;
    out = std::move(events_.front());
    events_.pop_front();
    return true;
}

} // namespace fer

#pragma once
// Game controllers as keys: the D-pad and the left stick are the arrow keys,
// A decides (Enter), B cancels (Esc) and the shoulder buttons skip (Ctrl).
// Controllers plugged in or out while the game runs are opened and closed;
// whatever a controller held when it went away is released.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include <SDL.h>

#include "platform/PlatformEvent.h"

namespace fer {

class SdlGamepads {
  public:
    // How far the stick must lean to press an arrow, and how far back to
    // release it (SDL's axes run from -32768 to 32767).
    static constexpr int kPressAt = 16000;
    static constexpr int kReleaseAt = 8000;

    // Starts SDL's game controller subsystem; without it there are no
    // controllers and nothing else changes.
    SdlGamepads();
    ~SdlGamepads();
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    bool available() const { return started_; }
    // The controllers open now.
    size_t count() const { return pads_.size(); }

    // Takes one SDL event; true when it was a controller's. The key events
    // it gives wait for next().
    bool handle(const SDL_Event& e);
    bool next(PlatformEvent& out);

  private:
    struct ControllerCloser {
        void operator()(SDL_GameController* c) const { SDL_GameControllerClose(c); }
    };
    struct Pad {
        std::unique_ptr<SDL_GameController, ControllerCloser> controller;
        // The virtual-key codes this pad holds down, by what holds them.
        std::map<int, int> held; // source -> key
    };

    void press(Pad& pad, int source, int key, bool down);
    void axis(Pad& pad, int axis, int value);

    bool started_ = false;
    std::map<SDL_JoystickID, Pad> pads_;
    std::deque<PlatformEvent> events_;
};

} // namespace fer

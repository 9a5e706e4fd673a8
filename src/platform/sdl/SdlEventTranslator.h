#pragma once
// Turns SDL's events into the engine's: keys as virtual-key codes, mouse
// buttons as their messages, motion in client coordinates, window changes
// (a change of size state only when the engine does not know of it yet),
// Alt+Enter and F11 as the full-screen key, game controllers as keys, and
// drops of exactly one file. Presses on the menu bar or an open menu stay
// with the menus. In full screen the pointer at the top edge, Alt alone and
// F10 call up the hidden menu bar.

#include <functional>
#include <string>
#include <vector>

#include <SDL.h>

#include "platform/PlatformEvent.h"
#include "platform/sdl/ImGuiLayer.h"
#include "platform/sdl/MenuBarReveal.h"
#include "platform/sdl/SdlCursor.h"
#include "platform/sdl/SdlGamepads.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/WindowStateTracker.h"

namespace fer {

class SdlEventTranslator {
  public:
    // After input, a few more ImGui frames let menus open and highlights settle.
    static constexpr int kFramesAfterInput = 3;

    SdlEventTranslator(SdlWindow& window, ImGuiLayer& imgui, SdlCursor& cursor,
                       SdlGamepads& gamepads, WindowStateTracker& states, MenuBarReveal& reveal,
                       const int& menuHeight)
        : window_(window), imgui_(imgui), cursor_(cursor), gamepads_(gamepads), states_(states),
          reveal_(reveal), menuHeight_(menuHeight) {}

    // Called for a press the menus take, so that they see it at once.
    void onMenuPress(std::function<void()> drawFrame) { drawFrame_ = std::move(drawFrame); }

    // Translates one SDL event; true when it produced an engine event.
    bool translate(SDL_Event& e, PlatformEvent& out);

    // Frames the menus still need after the last input; counted down by the caller.
    int& framesOwed() { return framesOwed_; }

  private:
    bool key(const SDL_Event& e, PlatformEvent& out);
    bool motion(const SDL_Event& e, PlatformEvent& out);
    bool button(const SDL_Event& e, PlatformEvent& out);
    bool windowChange(const SDL_Event& e, PlatformEvent& out);
    bool drop(SDL_Event& e, PlatformEvent& out);
    // A size state the window system reports, if the engine is to hear of it.
    bool sizeState(WindowSize actual, PlatformEvent& out);
    // The window's size or mode changed: the picture and the cursor's
    // confinement are laid out again.
    void relayout();

    SdlWindow& window_;
    ImGuiLayer& imgui_;
    SdlCursor& cursor_;
    SdlGamepads& gamepads_;
    WindowStateTracker& states_;
    MenuBarReveal& reveal_;
    const int& menuHeight_;
    // Alt is down and no other key was pressed since: its release calls up the bar.
    bool altAlone_ = false;
    std::function<void()> drawFrame_;
    int framesOwed_ = 0;
    // Files of a drop in progress (between begin and complete).
    bool dropping_ = false;
    std::vector<std::string> droppedFiles_;
};

} // namespace fer

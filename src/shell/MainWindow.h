#pragma once
// The main window as the engine sees it: the window state that the
// interpreter polls, the key-state word, and the message pump that takes one
// platform event per pass and acts on it.

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "shell/KeyState.h"

namespace fer {

class EngineContext;

class MainWindow {
  public:
    MainWindow(EngineContext& context, Platform& platform)
        : context_(context), platform_(platform) {}

    // Opens the platform window with the title and menu. False on failure.
    bool create(const std::string& title, bool debugMenu);
    // Closes the window: the state becomes 255 and stays there.
    void destroy();
    bool exists() const { return created_ && state_ != 255; }

    // One pass of the message pump: at most one event, a 30 ms sleep while
    // the window is not active; 0 when the window is closed or a new script
    // was chosen (states 255 and 3), else 1.
    int pump();

    int state() const { return state_; }
    // Whether the last pump handled an event.
    bool handledEvent() const { return handledEvent_; }
    void setState(int state) { state_ = state; }

    KeyState& keys() { return keys_; }
    const KeyState& keys() const { return keys_; }

    // Acts on one event as the window procedure does.
    void handle(const PlatformEvent& event);

  private:
    void confirmClose();

    EngineContext& context_;
    Platform& platform_;
    KeyState keys_;
    int state_ = 0;
    bool created_ = false;
    bool handledEvent_ = false;
};

} // namespace fer

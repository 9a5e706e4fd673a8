#pragma once
// The main window as the engine sees it: the window state that the
// interpreter polls, the key-state word, and the message pump that takes one
// platform event per pass and acts on it. Menu choices, dropped files and
// screenshots go to the handlers its owner sets; every pass ends at the sync
// point, where what changed is shown.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/WindowState.h"
#include "platform/Platform.h"
#include "shell/KeyState.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"
#include "shell/TimerThread.h"

namespace fer {

class MainWindow {
  public:
    MainWindow(Platform& platform, TimerThread& timer, const PlayerSettings& settings,
               Screen& screen)
        : platform_(platform), timer_(timer), settings_(settings), screen_(screen) {}

    // Opens the platform window with the title and menu, the popups added at
    // the end of its settings popup. False on failure.
    bool create(const std::string& title, bool debugMenu, const TextMenuCaptions& text = {},
                std::vector<MenuItem> settingsPopups = {});
    // Closes the window: the state becomes 255 and stays there, whatever is
    // written to it afterwards.
    void destroy();
    bool exists() const { return created_ && state_ != window_state::kClosed; }

    // One pass of the message pump: at most one event, the sync point, and a
    // 30 ms sleep while the window is not active; 0 when the window is closed
    // or a new script was chosen (states 255 and 3), else 1. It runs before
    // every script instruction: a pass with no event and nothing to show
    // costs a look at each source and no allocation.
    int pump() {
        handledEvent_ = state_ != window_state::kClosed && platform_.nextEvent(next_);
        if (handledEvent_) [[unlikely]]
            handleNext();
        if (passEnd_) passEnd_();
        if (state_ == window_state::kInactive || state_ == window_state::kMinimised) [[unlikely]]
            platform_.sleepMilliseconds(30);
        return (state_ == window_state::kClosed || state_ == window_state::kRestart) ? 0 : 1;
    }

    int state() const { return state_; }
    // Whether the last pump handled an event.
    bool handledEvent() const { return handledEvent_; }
    // Any state but closed; once closed the window stays closed.
    void setState(int state) {
        if (state_ != window_state::kClosed) state_ = state;
    }
    // While the engine runs, activation restarts the timer.
    void setEngineRunning(bool running) { engineRunning_ = running; }

    KeyState& keys() { return keys_; }
    const KeyState& keys() const { return keys_; }

    void onMenu(std::function<void(int)> handler) { menu_ = std::move(handler); }
    void onDrop(std::function<void(const std::string&)> handler) { drop_ = std::move(handler); }
    void onScreenshot(std::function<void()> handler) { screenshot_ = std::move(handler); }
    // The window's size notifications (restored, minimised, maximised), and
    // the player's full-screen key.
    void onSize(std::function<void(WindowSize)> handler) { size_ = std::move(handler); }
    void onToggleFullScreen(std::function<void()> handler) { toggle_ = std::move(handler); }
    // The player's keys, clicks and wheel, before the window acts on them:
    // what the engine itself offers the player (the history, leaving auto
    // mode) hears them here. False takes the event away from the script.
    void onPlayerInput(std::function<bool(const PlatformEvent&)> handler) {
        input_ = std::move(handler);
    }
    // Runs at the end of every pass, after the event.
    void onPassEnd(std::function<void()> handler) { passEnd_ = std::move(handler); }

    // Acts on one event as the window procedure does.
    void handle(const PlatformEvent& event);

  private:
    void confirmClose();
    // Acts on the event the platform wrote into next_ (taken out of it
    // first: acting on it may pump again).
    void handleNext();

    Platform& platform_;
    TimerThread& timer_;
    const PlayerSettings& settings_;
    Screen& screen_;
    KeyState keys_;
    // Where the platform writes the next event; kept from pass to pass so
    // that a pass without an event builds none.
    PlatformEvent next_;
    int state_ = window_state::kActive;
    bool created_ = false;
    bool handledEvent_ = false;
    bool engineRunning_ = false;
    std::function<void(int)> menu_;
    std::function<void(const std::string&)> drop_;
    std::function<void()> screenshot_;
    std::function<void()> passEnd_;
    std::function<void(WindowSize)> size_;
    std::function<void()> toggle_;
    std::function<bool(const PlatformEvent&)> input_;
};

} // namespace fer

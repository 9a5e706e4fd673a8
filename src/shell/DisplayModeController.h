#pragma once
// The display mode: the picture in a window or over the whole screen. The
// player switches by maximising the window (full screen), restoring it
// (window) or minimising it, or with the full-screen key; the choice is
// remembered as "SCREEN" in section "Config" (1 full screen, 0 window).
//
// Every size notification of the window goes through switchDisplayMode.
// While a switch runs, the window's own notifications (those its showWindow
// calls give) are handled nested and do nothing but the "SCREEN" write of a
// restore. The timer does not tick during a switch: it is paused when the
// outermost switch begins and runs again when that one ends.
//
// The colour-depth rule: a desktop that cannot show the 8-bit picture forces
// full screen and disables switching. The presenter converts the palette at
// any depth, so the engine hands in kPresentedDepth whatever the desktop
// runs with, and the rule never locks a player in full screen.

#include <cstdint>
#include <optional>

#include "core/FatalErrorHandler.h"
#include "platform/Platform.h"
#include "shell/MainWindow.h"
#include "shell/PlayerSettings.h"
#include "shell/TimerThread.h"

namespace fer {

class DisplayModeController {
  public:
    // The depth the picture is shown at, whatever the desktop's.
    static constexpr int kPresentedDepth = 8;

    DisplayModeController(Platform& platform, PlayerSettings& settings, TimerThread& timer,
                          MainWindow& window, FatalErrorHandler& errors)
        : platform_(platform), settings_(settings), timer_(timer), window_(window),
          errors_(errors) {}

    // The start-up check: keeps the depth; one other than 8 forces full
    // screen and writes "SCREEN" = 1. False after the fatal error.
    bool checkDepth(int depth);
    // The start-up choice: full screen when "SCREEN" is not 0, writing
    // "SCREEN" = 1; or, given `once`, that mode for this run, writing
    // nothing. False after the fatal error.
    bool applyStartChoice(std::optional<DisplayMode> once = std::nullopt);

    // Acts on one size notification of the window. Returns 0 when switching
    // is disabled (the desktop depth), else 1 (also after the fatal error).
    int switchDisplayMode(WindowSize kind);
    // The full-screen key: into full screen as the window's maximising
    // does, back as its restoring does.
    void toggleFullScreen();

    bool fullScreen() const { return platform_.displayMode() == DisplayMode::kFullScreen; }
    // A switch is in progress; further notifications are ignored.
    bool switching() const { return switching_; }
    // The display mode itself is being changed.
    bool sizing() const { return sizing_; }
    int startDepth() const { return startDepth_; }
    // Switches begun (nested ones included).
    uint64_t switches() const { return switches_; }

  private:
    // Full screen, with the fatal error on failure; false after it.
    bool enterFullScreen();
    // Back to the window; a failure is ignored.
    void leaveFullScreen();
    // ShowWindow: the notifications it gives at once are handled nested.
    void show(WindowShow how);
    void writeScreen(int32_t value);

    Platform& platform_;
    PlayerSettings& settings_;
    TimerThread& timer_;
    MainWindow& window_;
    FatalErrorHandler& errors_;
    int startDepth_ = kPresentedDepth;
    bool switching_ = false;
    bool sizing_ = false;
    uint64_t switches_ = 0;
    int depth_ = 0;           // switches running, nested ones included
    bool keepScreen_ = false; // "SCREEN" is not written (a mode for this run)
};

} // namespace fer

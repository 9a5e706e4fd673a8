#pragma once
// The engine's fatal error: shows the box (with the cursor shown while it is
// up), closes the main window and pauses the timer; the engine then winds
// down and ends with exit status 1.

#include <functional>
#include <string_view>

#include "core/FatalErrorHandler.h"
#include "platform/Platform.h"
#include "shell/MainWindow.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"
#include "shell/TimerThread.h"

namespace fer {

class FatalErrorReporter : public FatalErrorHandler {
  public:
    FatalErrorReporter(Platform& platform, MainWindow& window, TimerThread& timer,
                       const PlayerSettings& settings, Screen& screen)
        : platform_(platform), window_(window), timer_(timer), settings_(settings),
          screen_(screen) {}

    void fatalError(std::string_view title, std::string_view text) override;
    // Shows the box; the game goes on.
    void failureNotice(std::string_view title, std::string_view text) override;
    // Records a failure that was reported some other way (start-up).
    void markShown() { shown_ = true; }
    // Called with the error before its box is shown (a debugger stops there).
    void setBeforeBox(std::function<void(std::string_view, std::string_view)> call) {
        beforeBox_ = std::move(call);
    }
    bool shown() const { return shown_; }

  private:
    Platform& platform_;
    MainWindow& window_;
    TimerThread& timer_;
    const PlayerSettings& settings_;
    Screen& screen_;
    bool shown_ = false;
    std::function<void(std::string_view, std::string_view)> beforeBox_;
};

} // namespace fer

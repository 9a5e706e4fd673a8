#include "shell/DisplayModeController.h"

namespace fer {

namespace {
constexpr const char* kDisplayErrorTitle = "显示错误";
constexpr const char* kDisplayErrorText = "显示模式的设定失败了";
} // namespace

bool DisplayModeController::enterFullScreen() {
    if (platform_.setDisplayMode(DisplayMode::kFullScreen)) return true;
    errors_.fatalError(kDisplayErrorTitle, kDisplayErrorText);
    return false;
}

void DisplayModeController::leaveFullScreen() {
    // The window keeps whatever mode it has when it cannot leave.
    platform_.setDisplayMode(DisplayMode::kWindowed);
}

void DisplayModeController::show(WindowShow how) {
    for (WindowSize kind : platform_.showWindow(how)) switchDisplayMode(kind);
}

bool DisplayModeController::checkDepth(int depth) {
    startDepth_ = depth;
    if (depth == kPresentedDepth) return true;
    if (!enterFullScreen()) return false;
    show(WindowShow::kRestore);
    show(WindowShow::kMaximise);
    writeScreen(1);
    return true;
}

bool DisplayModeController::applyStartChoice(std::optional<DisplayMode> once) {
    if (once) {
        if (*once == DisplayMode::kWindowed) return true;
    } else if (settings_.screenSetting() == 0) {
        return true;
    }
    // A mode given for this run alone is written by none of the switches it causes.
    keepScreen_ = once.has_value();
    const bool entered = enterFullScreen();
    if (entered) {
        show(WindowShow::kRestore);
        show(WindowShow::kMaximise);
    }
    keepScreen_ = false;
    if (entered && !once) writeScreen(1);
    return entered;
}

void DisplayModeController::writeScreen(int32_t value) {
    if (!keepScreen_) settings_.setScreen(value);
}

int DisplayModeController::switchDisplayMode(WindowSize kind) {
    if (startDepth_ != kPresentedDepth) return 0;
    ++switches_;
    ++depth_;
    // stopEngine: the timer does not tick while the display changes.
    timer_.setPaused(true);
    bool failed = false;
    switch (kind) {
    case WindowSize::kMaximised:
        if (switching_) break;
        switching_ = true;
        sizing_ = true;
        failed = !enterFullScreen();
        sizing_ = false;
        if (!failed) {
            show(WindowShow::kRestore);
            show(WindowShow::kMaximise);
        }
        switching_ = false;
        if (!failed) writeScreen(1);
        break;
    case WindowSize::kMinimised:
        if (switching_) break;
        switching_ = true;
        sizing_ = true;
        leaveFullScreen();
        sizing_ = false;
        show(WindowShow::kRestore);
        show(WindowShow::kMinimise);
        switching_ = false;
        break;
    case WindowSize::kRestored:
        if (!switching_) {
            switching_ = true;
            sizing_ = true;
            if (platform_.windowMaximised()) {
                failed = !enterFullScreen();
                sizing_ = false;
                if (!failed) show(WindowShow::kRestore);
            } else {
                // Leaving full screen brings the window back to its own size
                // and place from before.
                leaveFullScreen();
                sizing_ = false;
                show(WindowShow::kRestore);
            }
            switching_ = false;
        }
        // Also for the notifications of a switch in progress.
        if (!failed) writeScreen(0);
        break;
    }
    // startEngine once the outermost switch is over, unless the fatal error
    // has ended the engine.
    if (--depth_ == 0 && !failed && window_.exists()) {
        window_.setEngineRunning(true);
        timer_.setPaused(false);
    }
    return 1;
}

void DisplayModeController::toggleFullScreen() {
    if (!fullScreen()) {
        // As when the player maximises the window.
        switchDisplayMode(WindowSize::kMaximised);
        return;
    }
    // As when the player restores it: a window system that tells of the
    // restore at once has switched back already.
    const uint64_t before = switches_;
    show(WindowShow::kRestore);
    if (switches_ == before) switchDisplayMode(WindowSize::kRestored);
}

} // namespace fer

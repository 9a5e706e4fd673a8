#include "shell/MainWindow.h"

namespace fer {

bool MainWindow::create(const std::string& title, bool debugMenu, const TextMenuCaptions& text,
                        std::vector<MenuItem> settingsPopups) {
    MenuModel menu = engineMenu(debugMenu, text);
    for (MenuItem& popup : settingsPopups) addSettingsPopup(menu, std::move(popup));
    created_ = platform_.openWindow(title, menu);
    if (created_) state_ = window_state::kActive;
    return created_;
}

void MainWindow::destroy() {
    if (created_) platform_.closeWindow();
    state_ = window_state::kClosed;
}

void MainWindow::handleNext() {
    const PlatformEvent event = std::move(next_);
    next_ = PlatformEvent{};
    handle(event);
}

void MainWindow::confirmClose() {
    const bool hidden = !settings_.cursorShown();
    screen_.flush();
    if (hidden) platform_.showCursor(true);
    const bool ok = platform_.confirmBox("游戏的结束", "结束游戏吗？");
    if (hidden) platform_.showCursor(false);
    if (ok) {
        destroy();
    } else {
        screen_.present(0, 0, 640, 400);
    }
}

void MainWindow::handle(const PlatformEvent& event) {
    using T = PlatformEvent::Type;
    if ((event.type == T::kKeyDown || event.type == T::kWheel) && input_ && !input_(event)) return;
    switch (event.type) {
    case T::kKeyDown: keys_.keyPressed(event.code); break;
    case T::kWheel: break;
    case T::kKeyUp: keys_.keyReleased(event.code); break;
    case T::kMouseMove: break; // the platform keeps the position
    case T::kClose: confirmClose(); break;
    case T::kEndSession: destroy(); break; // as a confirmed close
    case T::kRestore:
    case T::kMaximise:
        // The display mode follows the window's size first.
        if (size_)
            size_(event.type == T::kRestore ? WindowSize::kRestored : WindowSize::kMaximised);
        [[fallthrough]];
    case T::kActivate:
        if (engineRunning_ && exists()) timer_.setPaused(false);
        setState(window_state::kActive);
        break;
    case T::kDeactivate:
        timer_.setPaused(true);
        setState(window_state::kInactive);
        break;
    case T::kMinimise:
        if (size_) size_(WindowSize::kMinimised);
        timer_.setPaused(true);
        setState(window_state::kMinimised);
        break;
    case T::kMenu:
        if (menu_) menu_(event.code);
        break;
    case T::kDropFile:
        if (drop_) drop_(event.text);
        break;
    case T::kExpose: screen_.present(0, 0, 640, 400); break;
    case T::kToggleFullScreen:
        if (toggle_) toggle_();
        break;
    case T::kScreenshot:
        if (screenshot_) screenshot_();
        break;
    case T::kText: break; // typed text belongs to the text fields of boxes
    }
}

} // namespace fer

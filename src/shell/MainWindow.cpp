#include "shell/MainWindow.h"

#include "shell/EngineContext.h"

namespace fer {

bool MainWindow::create(const std::string& title, bool debugMenu) {
    created_ = platform_.openWindow(title, engineMenu(debugMenu));
    if (created_) state_ = 0;
    return created_;
}

void MainWindow::destroy() {
    if (created_) platform_.closeWindow();
    state_ = 255;
}

int MainWindow::pump() {
    PlatformEvent event;
    handledEvent_ = state_ != 255 && platform_.nextEvent(event);
    if (handledEvent_) handle(event);
    if (state_ == 1 || state_ == 2) platform_.sleepMilliseconds(30);
    return (state_ == 255 || state_ == 3) ? 0 : 1;
}

void MainWindow::confirmClose() {
    const bool hidden = context_.cursorVisible == 0;
    if (hidden) platform_.showCursor(true);
    const bool ok = platform_.confirmBox("游戏的结束", "结束游戏吗？");
    if (hidden) platform_.showCursor(false);
    if (ok) {
        destroy();
    } else {
        context_.present(0, 0, 640, 400);
    }
}

void MainWindow::handle(const PlatformEvent& event) {
    using T = PlatformEvent::Type;
    switch (event.type) {
    case T::kKeyDown: keys_.keyPressed(event.code); break;
    case T::kKeyUp: keys_.keyReleased(event.code); break;
    case T::kMouseMove: break; // the platform keeps the position
    case T::kClose: confirmClose(); break;
    case T::kActivate:
    case T::kRestore:
        if (context_.engineRunning) context_.timer.setPaused(false);
        state_ = 0;
        break;
    case T::kDeactivate:
        context_.timer.setPaused(true);
        state_ = 1;
        break;
    case T::kMinimise:
        context_.timer.setPaused(true);
        state_ = 2;
        break;
    case T::kMenu: context_.menu.command(event.code); break;
    case T::kDropFile: context_.switchTo(event.text); break;
    case T::kExpose: context_.present(0, 0, 640, 400); break;
    case T::kScreenshot: context_.saveScreenshot(); break;
    }
}

} // namespace fer

#include "platform/sdl/MenuBarReveal.h"

namespace fer {

void MenuBarReveal::setFullScreen(bool fullScreen) {
    fullScreen_ = fullScreen;
    byPointer_ = false;
    byKey_ = false;
}

void MenuBarReveal::pointerAt(int y, int barHeight, bool menuOpen) {
    if (!fullScreen_) return;
    if (y < kEdge)
        byPointer_ = true;
    else if (y >= barHeight && !menuOpen)
        byPointer_ = false;
}

void MenuBarReveal::pointerLeft(bool menuOpen) {
    if (!menuOpen) byPointer_ = false;
}

void MenuBarReveal::toggle() {
    if (!fullScreen_) return;
    const bool wasShown = shown();
    byPointer_ = false;
    byKey_ = !wasShown;
}

void MenuBarReveal::dismiss() {
    byPointer_ = false;
    byKey_ = false;
}

} // namespace fer

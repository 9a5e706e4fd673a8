#pragma once
// Whether the menu bar is shown. In a window it always is, above the
// picture. In full screen the picture has the whole screen and the bar is
// hidden; it appears over the picture while the pointer touches the top
// edge and stays while the pointer is on it or one of its menus is open, or
// it is called up with Alt (pressed and released alone) or F10 and stays
// until one of those keys again, a click elsewhere or a menu choice.

namespace fer {

class MenuBarReveal {
  public:
    // How close to the top edge (in window points) the pointer calls the bar.
    static constexpr int kEdge = 2;

    // Entering or leaving full screen hides the bar there or shows it for good.
    void setFullScreen(bool fullScreen);
    // The pointer is at window row y (points); barHeight: the bar's height
    // in points; menuOpen: one of its menus is open.
    void pointerAt(int y, int barHeight, bool menuOpen);
    // The pointer left the window.
    void pointerLeft(bool menuOpen);
    // Alt alone or F10.
    void toggle();
    // A click below the bar or a menu choice.
    void dismiss();

    bool shown() const { return !fullScreen_ || byPointer_ || byKey_; }
    // The rows at the top that belong to the bar: its height while shown.
    int rows(int barHeight) const { return shown() ? barHeight : 0; }

  private:
    bool fullScreen_ = false;
    bool byPointer_ = false;
    bool byKey_ = false;
};

} // namespace fer

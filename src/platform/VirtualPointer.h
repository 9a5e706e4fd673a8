#pragma once
// The pointer of a backend that cannot move the player's own (headless, a
// page): where the events and the engine last put it, kept inside the
// rectangle the engine confined it to, in 640x400 client coordinates.

#include <algorithm>

namespace fer {

class VirtualPointer {
  public:
    void confine(int left, int top, int right, int bottom) {
        confined_ = true;
        left_ = left;
        top_ = top;
        right_ = right;
        bottom_ = bottom;
        clamp();
    }
    void release() { confined_ = false; }
    void moveTo(int x, int y) {
        x_ = x;
        y_ = y;
        clamp();
    }
    int x() const { return x_; }
    int y() const { return y_; }

  private:
    void clamp() {
        if (!confined_) return;
        x_ = std::clamp(x_, std::min(left_, right_), std::max(left_, right_));
        y_ = std::clamp(y_, std::min(top_, bottom_), std::max(top_, bottom_));
    }

    int x_ = 0, y_ = 0;
    bool confined_ = false;
    int left_ = 0, top_ = 0, right_ = 639, bottom_ = 399;
};

} // namespace fer

#pragma once
// Where the 640x400 picture lies in the window: below the menu bar, scaled by
// the largest whole factor that fits (or, fitted, to the largest size that
// keeps its shape), centred with black borders; and the mapping of window
// points to 640x400 client coordinates and back.

#include "platform/DisplayMode.h"

namespace fer {

struct ViewRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

class ScaledView {
  public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 400;
    static constexpr int kMaxFactor = 16;

    // The largest whole factor (at least 1, at most kMaxFactor) for which the
    // picture and the menu bar fit into an area of width x height.
    static int largestFactor(int width, int height, int menuBarHeight);

    // Lays the picture out in a window of the given size.
    void resize(int windowWidth, int windowHeight, int menuBarHeight);

    void setMode(ScaleMode mode) { mode_ = mode; }
    ScaleMode mode() const { return mode_; }
    // The whole factor (fitted: the whole part of the scale, at least 1).
    int factor() const { return factor_; }
    // The picture's rectangle in window pixels.
    ViewRect picture() const { return picture_; }

    // A window point in client coordinates, clamped to 0..639, 0..399.
    void toClient(int windowX, int windowY, int& x, int& y) const;
    // The window point at the centre of client pixel (x, y), x and y clamped first.
    void toWindow(int x, int y, int& windowX, int& windowY) const;
    // Whether a window point lies on the picture.
    bool contains(int windowX, int windowY) const;

  private:
    ScaleMode mode_ = ScaleMode::kWholeFactor;
    int factor_ = 1;
    ViewRect picture_{0, 0, kWidth, kHeight};
};

} // namespace fer

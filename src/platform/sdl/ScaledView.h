#pragma once
// Where the 640x400 picture lies in the window: below the menu bar, scaled by
// the largest whole factor that fits (fitted: to the largest size that keeps
// its shape; stretched: over the whole area), centred with black borders;
// and the mapping of window points to 640x400 client coordinates and back.
// The layout is in the window's real pixels; window points (what mouse
// events and window sizes are measured in) are pixels divided by the pixel
// ratio, which is above 1 on a high-density display.

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

    // How many times the menus and boxes are drawn enlarged for a window of
    // width x height points on a display of `dpi` dots per inch (0 when
    // unknown): by the display's density, and on a large window by half the
    // picture's whole factor, so they stay readable.
    static int menuZoom(int width, int height, float dpi);

    // Lays the picture out in a window of the given size in pixels; the
    // menu bar's height is in pixels too. pixelRatio: pixels per point.
    void resize(int windowWidth, int windowHeight, int menuBarHeight, float pixelRatioX = 1.0f,
                float pixelRatioY = 1.0f);

    void setMode(ScaleMode mode) { mode_ = mode; }
    ScaleMode mode() const { return mode_; }
    // The whole factor (fitted or stretched: the whole part of the scale, at least 1).
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
    float ratioX_ = 1.0f;
    float ratioY_ = 1.0f;
};

} // namespace fer

#include "platform/sdl/ScaledView.h"

#include <algorithm>
#include <cmath>

namespace fer {

namespace {
// Division rounding toward minus infinity, for points left of or above the picture.
int floorDiv(long a, long b) {
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

// The density at which the menus are drawn at their own size.
constexpr float kBaseDpi = 96.0f;
constexpr int kMaxMenuZoom = 4;
} // namespace

int ScaledView::largestFactor(int width, int height, int menuBarHeight) {
    const int byWidth = width / kWidth;
    const int byHeight = (height - std::max(menuBarHeight, 0)) / kHeight;
    return std::clamp(std::min(byWidth, byHeight), 1, kMaxFactor);
}

int ScaledView::menuZoom(int width, int height, float dpi) {
    const int byDensity = dpi > 0 ? static_cast<int>(std::lround(dpi / kBaseDpi)) : 1;
    const int bySize = largestFactor(width, height, 0) / 2;
    return std::clamp(std::max(byDensity, bySize), 1, kMaxMenuZoom);
}

void ScaledView::resize(int windowWidth, int windowHeight, int menuBarHeight, float pixelRatioX,
                        float pixelRatioY) {
    ratioX_ = pixelRatioX > 0 ? pixelRatioX : 1.0f;
    ratioY_ = pixelRatioY > 0 ? pixelRatioY : 1.0f;
    menuBarHeight = std::max(menuBarHeight, 0);
    factor_ = largestFactor(windowWidth, windowHeight, menuBarHeight);
    picture_.w = kWidth * factor_;
    picture_.h = kHeight * factor_;
    const int areaHeight = windowHeight - menuBarHeight;
    const bool roomy = windowWidth >= kWidth && areaHeight >= kHeight;
    if (mode_ == ScaleMode::kFit && roomy) {
        // The largest 16:10 rectangle inside the area.
        if (static_cast<long>(windowWidth) * kHeight <= static_cast<long>(areaHeight) * kWidth) {
            picture_.w = windowWidth;
            picture_.h = windowWidth * kHeight / kWidth;
        } else {
            picture_.h = areaHeight;
            picture_.w = areaHeight * kWidth / kHeight;
        }
    } else if (mode_ == ScaleMode::kStretch && roomy) {
        picture_.w = windowWidth;
        picture_.h = areaHeight;
    }
    // A window smaller than the picture shows its top-left part.
    picture_.x = std::max(0, (windowWidth - picture_.w) / 2);
    picture_.y = menuBarHeight + std::max(0, (windowHeight - menuBarHeight - picture_.h) / 2);
}

void ScaledView::toClient(int windowX, int windowY, int& x, int& y) const {
    // The window point's pixel: the one under its top-left corner.
    const int px = static_cast<int>(std::floor(static_cast<float>(windowX) * ratioX_));
    const int py = static_cast<int>(std::floor(static_cast<float>(windowY) * ratioY_));
    x = std::clamp(floorDiv(static_cast<long>(px - picture_.x) * kWidth, picture_.w), 0,
                   kWidth - 1);
    y = std::clamp(floorDiv(static_cast<long>(py - picture_.y) * kHeight, picture_.h), 0,
                   kHeight - 1);
}

void ScaledView::toWindow(int x, int y, int& windowX, int& windowY) const {
    x = std::clamp(x, 0, kWidth - 1);
    y = std::clamp(y, 0, kHeight - 1);
    // The centre of the client pixel's area in the window.
    const float px = static_cast<float>(picture_.x) +
                     static_cast<float>((2 * x + 1) * picture_.w) / (2.0f * kWidth);
    const float py = static_cast<float>(picture_.y) +
                     static_cast<float>((2 * y + 1) * picture_.h) / (2.0f * kHeight);
    windowX = static_cast<int>(std::floor(px / ratioX_));
    windowY = static_cast<int>(std::floor(py / ratioY_));
}

bool ScaledView::contains(int windowX, int windowY) const {
    const int px = static_cast<int>(std::floor(static_cast<float>(windowX) * ratioX_));
    const int py = static_cast<int>(std::floor(static_cast<float>(windowY) * ratioY_));
    return px >= picture_.x && px < picture_.x + picture_.w && py >= picture_.y &&
           py < picture_.y + picture_.h;
}

} // namespace fer

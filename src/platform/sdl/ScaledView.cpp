#include "platform/sdl/ScaledView.h"

#include <algorithm>

namespace fer {

namespace {
// Division rounding toward minus infinity, for points left of or above the picture.
int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

int ScaledView::largestFactor(int width, int height, int menuBarHeight) {
    const int byWidth = width / kWidth;
    const int byHeight = (height - std::max(menuBarHeight, 0)) / kHeight;
    return std::clamp(std::min(byWidth, byHeight), 1, kMaxFactor);
}

void ScaledView::resize(int windowWidth, int windowHeight, int menuBarHeight) {
    menuBarHeight = std::max(menuBarHeight, 0);
    factor_ = largestFactor(windowWidth, windowHeight, menuBarHeight);
    picture_.w = kWidth * factor_;
    picture_.h = kHeight * factor_;
    const int areaHeight = windowHeight - menuBarHeight;
    if (mode_ == ScaleMode::kFit && windowWidth >= kWidth && areaHeight >= kHeight) {
        // The largest 16:10 rectangle inside the area.
        if (static_cast<long>(windowWidth) * kHeight <= static_cast<long>(areaHeight) * kWidth) {
            picture_.w = windowWidth;
            picture_.h = windowWidth * kHeight / kWidth;
        } else {
            picture_.h = areaHeight;
            picture_.w = areaHeight * kWidth / kHeight;
        }
    }
    // A window smaller than the picture shows its top-left part.
    picture_.x = std::max(0, (windowWidth - picture_.w) / 2);
    picture_.y = menuBarHeight + std::max(0, (windowHeight - menuBarHeight - picture_.h) / 2);
}

void ScaledView::toClient(int windowX, int windowY, int& x, int& y) const {
    x = std::clamp(floorDiv((windowX - picture_.x) * kWidth, picture_.w), 0, kWidth - 1);
    y = std::clamp(floorDiv((windowY - picture_.y) * kHeight, picture_.h), 0, kHeight - 1);
}

void ScaledView::toWindow(int x, int y, int& windowX, int& windowY) const {
    x = std::clamp(x, 0, kWidth - 1);
    y = std::clamp(y, 0, kHeight - 1);
    // The centre of the client pixel's area in the window.
    windowX = picture_.x + (2 * x + 1) * picture_.w / (2 * kWidth);
    windowY = picture_.y + (2 * y + 1) * picture_.h / (2 * kHeight);
}

bool ScaledView::contains(int windowX, int windowY) const {
    return windowX >= picture_.x && windowX < picture_.x + picture_.w && windowY >= picture_.y &&
           windowY < picture_.y + picture_.h;
}

} // namespace fer

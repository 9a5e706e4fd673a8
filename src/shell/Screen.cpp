#include "shell/Screen.h"

#include <algorithm>

#include "graphics/PngWriter.h"

namespace fer {

void Screen::present(int x, int y, int w, int h) {
    // Arguments are taken as unsigned 16-bit values, then kept to the picture.
    const int left = static_cast<uint16_t>(x);
    const int top = static_cast<uint16_t>(y);
    const int right = std::min<int>(left + static_cast<uint16_t>(w), PlaneSet::kWidth);
    const int bottom = std::min<int>(top + static_cast<uint16_t>(h), PlaneSet::kScreenHeight);
    if (right <= left || bottom <= top) return;
    if (!dirty_) {
        left_ = left;
        top_ = top;
        right_ = right;
        bottom_ = bottom;
        dirty_ = true;
        return;
    }
    left_ = std::min(left_, left);
    top_ = std::min(top_, top);
    right_ = std::max(right_, right);
    bottom_ = std::max(bottom_, bottom);
}

void Screen::showPlane(unsigned n) {
    if (n >= PlaneSet::kCount) return;
    shownPlane_ = n;
    present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
}

void Screen::flushNow() {
    dirty_ = false;
    if (!planes_.allocated()) return;
    // Other planes may be taller: the picture shows their top 400 rows.
    const VramPlane& p = planes_[shownPlane_];
    const int skip = p.height() - PlaneSet::kScreenHeight;
    platform_.present({p.pixels() + static_cast<size_t>(std::max(skip, 0)) * p.width(), p.width(),
                       PlaneSet::kScreenHeight, p.width()},
                      palette_, left_, top_, right_ - left_, bottom_ - top_);
    ++uploads_;
}

WriteOutcome Screen::writeScreenshot(const std::string& path) const {
    if (!planes_.allocated()) return WriteOutcome::kWriteFailed;
    return writeIndexedPng(path, planes_[0], PlaneSet::kScreenHeight, palette_);
}

} // namespace fer

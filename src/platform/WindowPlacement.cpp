#include "platform/WindowPlacement.h"

#include <algorithm>

#include "platform/sdl/ScaledView.h"

namespace fer {

WindowPlacement placeWindow(int scale, int usableX, int usableY, int usableWidth, int usableHeight,
                            int menuHeight, int frameAllowance) {
    WindowPlacement p;
    const int fits =
        ScaledView::largestFactor(usableWidth, usableHeight - frameAllowance, menuHeight);
    p.factor = scale > 0 ? std::min(std::clamp(scale, 1, ScaledView::kMaxFactor), fits) : fits;
    p.width = ScaledView::kWidth * p.factor;
    p.height = menuHeight + ScaledView::kHeight * p.factor;
    // The title bar takes the upper part of the allowance.
    const int top = frameAllowance / 2;
    p.x = usableX + std::max(0, (usableWidth - p.width) / 2);
    p.y = usableY + std::max(top, (usableHeight - p.height + top) / 2);
    return p;
}

} // namespace fer

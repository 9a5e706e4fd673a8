#pragma once
// The thirty images of the animated cursors (numbers 131 to 160), drawn at
// start-up: cursor k (0..14) is an arrow in its own colour, its two images
// (131 + 2k and 132 + 2k) with the shading shifted so that the colour runs
// down the arrow as they take turns. Our own art, made by this code.

#include <cstdint>
#include <vector>

#include "platform/CursorImage.h"

namespace fer {

class CursorArt {
  public:
    static constexpr uint16_t kFirst = 131;
    static constexpr uint16_t kCount = 30;

    CursorArt();
    // Image n, or nullptr for a number without one (the system arrow shows).
    const CursorImage* image(uint16_t n) const;

  private:
    std::vector<CursorImage> images_;
};

} // namespace fer

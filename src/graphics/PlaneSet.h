#pragma once
// The six video planes: 0 is the visible 640x400 picture, 1 and 5 are tall
// work planes, 2 to 4 screen-sized work planes.

#include <array>
#include <cstdint>

#include "graphics/VramPlane.h"

namespace fer {

class PlaneSet {
  public:
    static constexpr int kCount = 6;
    static constexpr uint16_t kWidth = 640;
    static constexpr uint16_t kScreenHeight = 400;
    static constexpr std::array<uint16_t, kCount> kHeights{400, 1800, 400, 400, 400, 2800};

    // Allocates the six planes, all pixels 0. False when memory runs out.
    bool allocate();
    void release();
    bool allocated() const { return planes_[0].valid(); }

    // Plane n; an index outside 0..5 gives an empty plane that draws nothing.
    VramPlane& operator[](unsigned n) { return n < kCount ? planes_[n] : none_; }
    const VramPlane& operator[](unsigned n) const { return n < kCount ? planes_[n] : none_; }

  private:
    std::array<VramPlane, kCount> planes_;
    VramPlane none_;
};

} // namespace fer

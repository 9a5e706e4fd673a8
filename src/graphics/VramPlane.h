#pragma once
// One 8-bit palette-indexed pixel buffer. Rows are stored bottom-up: the
// pixel at column x of row y (y from the top) lies at (height - y - 1) *
// width + x. The width is also the row stride.

#include <cstdint>
#include <memory>

namespace fer {

class VramPlane {
  public:
    VramPlane() = default;
    VramPlane(uint16_t width, uint16_t height)
        : pixels_(std::make_unique<uint8_t[]>(size_t{width} * height)), width_(width),
          height_(height) {}

    uint8_t* pixels() { return pixels_.get(); }
    const uint8_t* pixels() const { return pixels_.get(); }
    uint16_t width() const { return width_; }
    uint16_t height() const { return height_; }
    size_t size() const { return size_t{width_} * height_; }
    bool valid() const { return pixels_ != nullptr; }

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // The first byte of row y (y from the top).
    uint8_t* row(int y) { return pixels_.get() + size_t(height_ - y - 1) * width_; }
    const uint8_t* row(int y) const { return pixels_.get() + size_t(height_ - y - 1) * width_; }
    uint8_t at(int x, int y) const { return contains(x, y) ? row(y)[x] : 0; }
    void set(int x, int y, uint8_t v) {
        if (contains(x, y)) row(y)[x] = v;
    }

  private:
    std::unique_ptr<uint8_t[]> pixels_;
    uint16_t width_ = 0;
    uint16_t height_ = 0;
};

} // namespace fer

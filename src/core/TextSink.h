#pragma once
// Where script text goes: characters drawn at a position of a plane, and the
// presents that show plane 0. The interpreter's text instructions and the
// number command both write through it.

#include <cstdint>

namespace fer {

class TextSink {
  public:
    virtual ~TextSink() = default;
    // Shows the rectangle (x, y, w, h) of plane 0; values are unsigned 16-bit.
    virtual void present(int x, int y, int w, int h) = 0;
    virtual void drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) = 0;
};

} // namespace fer

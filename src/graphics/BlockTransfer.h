#pragma once
// The rectangle engine: copy, transparent copy, fill, exchange, colour
// exchange, dissolve and compose between the video planes. Rectangles are
// (x, y, w, h) with y counted from the top.
//
// Clipping: a rectangle is cut at the right and bottom edges of every plane
// it reads or writes (positions are unsigned, so nothing lies left of or
// above a plane), keeping the correspondence of source and destination
// pixels; an invalid plane index yields an empty plane and nothing is done.
// Exchange and compose go through a 640-byte row buffer owned by the engine,
// so one instance must not be shared between threads.

#include <array>
#include <cstdint>

#include "graphics/PlaneSet.h"

namespace fer {

class GraphicsHost;

struct BlockRequest {
    uint32_t mode = 0;
    uint16_t sx = 0, sy = 0, w = 0, h = 0;
    uint32_t src = 0;
    uint16_t dx = 0, dy = 0;
    uint32_t dst = 0;
    uint16_t x3 = 0, y3 = 0;
    uint32_t plane3 = 0;
    // Key (low byte) for modes 1 and 6; fill colour (high byte) for mode 2;
    // the pair exchanged for mode 4.
    uint16_t colour = 0;
};

class BlockTransfer {
  public:
    enum Mode : uint32_t {
        kCopy = 0,
        kTransparentCopy = 1,
        kFill = 2,
        kExchange = 3,
        kColourExchange = 4,
        kDissolve = 5,
        kCompose = 6,
    };
    static constexpr size_t kRowBufferSize = 640;
    static constexpr int kDissolveSteps = 64;

    // The host shows the dissolve's steps and sleeps between them.
    BlockTransfer(PlaneSet& planes, GraphicsHost& host) : planes_(planes), host_(host) {}

    // Runs one operation; unknown modes do nothing.
    void blockTransfer(const BlockRequest& r);

  private:
    void copy(const BlockRequest& r, bool transparent);
    void fill(const BlockRequest& r);
    void exchange(const BlockRequest& r);
    void colourExchange(const BlockRequest& r);
    void dissolve(const BlockRequest& r);
    void compose(const BlockRequest& r);

    PlaneSet& planes_;
    GraphicsHost& host_;
    std::array<uint8_t, kRowBufferSize> rowBuffer_{};
};

} // namespace fer

#pragma once
// What the player sees: plane 0 (or, for a debug view, another plane)
// through the screen palette. Presents are collected and shown together at
// the pump's sync point, once a pass: presenting the same rectangle twice in
// a pass uploads it once.

#include <cstdint>
#include <string>

#include "core/PaletteEntry.h"
#include "files/AtomicFileWriter.h"
#include "graphics/PlaneSet.h"
#include "platform/Platform.h"

namespace fer {

class Screen {
  public:
    Screen(Platform& platform, const PlaneSet& planes) : platform_(platform), planes_(planes) {}

    // Marks the rectangle (x, y, w, h) of the plane shown, taken as unsigned
    // 16-bit values, to be shown at the next sync point.
    void present(int x, int y, int w, int h);
    // The palette shown from the next sync point on.
    void setPalette(const Palette& colours) { palette_ = colours; }
    const Palette& palette() const { return palette_; }
    // Shows plane n's top 400 rows in the picture from the next sync point
    // (0 is the game's own view).
    void showPlane(unsigned n);
    unsigned shownPlane() const { return shownPlane_; }

    // The sync point: shows the union of the rectangles marked since the last
    // one, if any.
    void flush() {
        if (dirty_) flushNow();
    }
    uint64_t uploads() const { return uploads_; }

    // Writes plane 0 as the player sees it as a PNG (see AtomicFileWriter.h).
    WriteOutcome writeScreenshot(const std::string& path) const;

  private:
    void flushNow();

    Platform& platform_;
    const PlaneSet& planes_;
    Palette palette_{};
    unsigned shownPlane_ = 0;
    bool dirty_ = false;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0; // the marked union, right/bottom exclusive
    uint64_t uploads_ = 0;
};

} // namespace fer

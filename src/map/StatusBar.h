#pragma once
// The status bar around the map view: frame, date, time, amount and weather
// copied from plane 5 to plane 0, and the copy of the map under it that
// plane 4 keeps (rows 8 to 87 of plane 0 at the top of plane 4).
//
// It reads the date register (16-bit 7, month x 100 + day), the time
// register (16-bit 19, hours x 100 + minutes), the amount register (16-bit
// 12), the day-icon register (16-bit 4) and the weather flag (2047).

#include "core/ScriptMemory.h"
#include "graphics/PlaneSet.h"

namespace fer {

class StatusBar {
  public:
    static constexpr int kSavedTop = 8;
    static constexpr int kSavedRows = 80;
    static constexpr int kSavePlane = 4;
    static constexpr int kPartsPlane = 5;

    StatusBar(const ScriptMemory& memory, PlaneSet& planes) : memory_(memory), planes_(planes) {}

    // Puts back the map under the bar from plane 4.
    void restoreUnder();
    // Saves the map under the bar to plane 4, then draws the bar.
    void draw();

  private:
    void part(int sx, int sy, int w, int h, int dx, int dy);

    const ScriptMemory& memory_;
    PlaneSet& planes_;
};

} // namespace fer

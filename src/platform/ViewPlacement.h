#pragma once
// Where a debug view opens inside the window's work area (the area below the
// menu bar), one axis at a time. A view that holds the script opens alone,
// centred. Views that stay up while the game runs open in a cascade from the
// area's corner, each a title bar's height further on, so that every title
// stays in sight and can be grabbed; never above the area, where the menu bar
// lies.

namespace fer {

// size: the view's extent; start/length: the work area's.
int centreViewAxis(int size, int start, int length);

// slot: how many of the views up before this one are still up; step: the
// cascade's step (a title bar's height and a little).
int cascadeViewAxis(int slot, int step, int size, int start, int length);

} // namespace fer

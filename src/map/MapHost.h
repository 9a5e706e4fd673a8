#pragma once
// What the map needs of the rest of the engine: the player's inputs, the
// pointer position, the screen, the movement setting and the error report.
// The engine implements it in its shell; tests use a double.

#include "core/FatalErrorHandler.h"

namespace fer {

class MapHost : public FatalErrorHandler {
  public:
    // keyDown with the key indexes of core/KeyIndex.h.
    virtual bool keyDown(int index) = 0;
    // The pointer in window pixels of the 640 x 400 picture.
    virtual void pointerPosition(int& x, int& y) = 0;
    // Shows the rectangle (x, y, w, h) of plane 0.
    virtual void present(int x, int y, int w, int h) = 0;
    // The player chose to skip map movement (the "SUBMAP" setting is on).
    virtual bool skipMovement() const = 0;
};

} // namespace fer

#pragma once
// The operations of the map command (system command 17, argument 0), with
// the arguments a, b and c that follow it; docs/map.md tells what each does.

#include <cstdint>

namespace fer::map_op {

enum MapOperation : uint32_t {
    kStart = 0,           // take the size from the map block, mark every cell changed
    kPlace = 1,           // object b from placement entry a, facing c
    kBuildLayers = 2,     // ground and upper tiles under the view
    kMarkAllChanged = 3,  // every screen cell to be drawn again
    kStartPrograms = 4,   // every object's movement program
    kStartProgram = 5,    // movement program b for object a
    kPutObjects = 6,      // the visible objects into the layers
    kSetObjectFlags = 7,  // object a's flags byte to b
    kStepAndDraw = 8,     // one movement step, then layers, objects and the redraw
    kStep = 9,            // one movement step without drawing
    kDrawAll = 10,        // every view cell and the status bar
    kWriteSub = 11,       // the changed cells and the status bar
    kSetTriggerMode = 12, // trigger mode a
    kTriggerCheck = 13,   // the trigger under the tracked object
    kMoveObject = 14,     // object a one cell in direction b
    kStartWalk = 15,      // object a walks to the cell (b, c)
    kEndWalk = 16,        // end the automatic walk
    kWalkFlag = 17,       // the automatic-walk flag
    kTakeTrailPlace = 20, // object a to the trail place b steps behind
    kSkipMovement = 21,   // object a to the quick follow code
    kSetFacing = 22,      // object a's facing to b
};

} // namespace fer::map_op

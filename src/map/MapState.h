#pragma once
// The map engine's own state besides the layers: the map's size, the view,
// the trail, the automatic walk, the trigger check and the scroll direction
// of the last movement step. It lives in the engine object, not in script
// memory.

#include <cstdint>

#include "map/MapView.h"
#include "map/Trail.h"

namespace fer {

// Direction bits of player control, paths and view scrolls.
namespace direction_bit {
inline constexpr uint8_t kUp = 1;
inline constexpr uint8_t kLeft = 2;
inline constexpr uint8_t kRight = 4;
inline constexpr uint8_t kDown = 8;
} // namespace direction_bit

struct MapState {
    uint16_t width = 0, height = 0; // cells, from op 0
    uint32_t byteSize = 0;          // width x height x 3 + 6
    MapView view;
    Trail trail;

    // The automatic walk.
    uint8_t autoWalk = 0; // 0 or 255
    int walker = 0;
    uint8_t savedFlags = 0, savedType = 0, savedCount = 0;
    uint16_t stepBudget = 0;

    bool noSlide = false; // the first half of a diagonal move

    // The trigger check.
    uint16_t triggerMode = 0;
    bool armed = false;
    uint16_t lastTrigger = 0xFFFF;

    // Bits of the view scrolls of the last movement step (direction_bit).
    uint8_t scrollDirection = 0;

    // A fatal error was reported: the rest of the command does nothing.
    bool failed = false;
};

} // namespace fer

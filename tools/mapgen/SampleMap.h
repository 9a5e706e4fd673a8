#pragma once
// The sample map the engine's end-to-end test walks, and its pictures: a
// 56 x 40 field inside a stone wall with a wall column to walk around, a
// corner stone, two triggers and three characters (the player, a follower
// on the trail and a standing townsman). The tile sheet serves as sheet A
// and sheet B; the parts picture fills plane 5 for the status bar.

#include <cstdint>

#include "DemoPictures.h"
#include "MapLayout.h"

namespace mapgen::sample {

// Where the scripts load the map data (MAP.DAT): map block, object block
// and trigger table at fixed offsets from the load address.
inline constexpr uint32_t kObjectBlockAt = 0x4000;
inline constexpr uint32_t kTriggerTableAt = 0x6000;
inline constexpr uint32_t kFileSize = 0x7000;

inline constexpr uint16_t kWidth = 56, kHeight = 40;
// Tiles of the sheet.
inline constexpr uint16_t kGrass = 0, kStone = 1, kMarker = 2, kRoof = 3;
inline constexpr uint16_t kPlayerTiles = 100, kFollowerTiles = 200, kTownsmanTiles = 300;
inline constexpr uint8_t kKey = 8; // the sprites' transparent colour
inline constexpr uint8_t kGrassColour = 40, kStoneColour = 60, kMarkerColour = 80,
                         kRoofColour = 100, kPlayerColour = 120, kFollowerColour = 130,
                         kTownsmanColour = 140;

// The wall column x = 10, rows 12 to 28, between the start and the goal.
inline constexpr int kColumnX = 10, kColumnTop = 12, kColumnBottom = 28;
// The corner stone the player slides round when walking right along row 20.
inline constexpr int kCornerX = 30, kCornerY = 21;
inline constexpr int kMarkerX = 50, kMarkerY = 30;
// Triggers: 7 answers facing up only, 9 facing down only.
inline constexpr uint16_t kUpTrigger = 7, kDownTrigger = 9;
inline constexpr int kUpTriggerRow = 10, kDownTriggerRow = 15;

inline constexpr int kPlayer = 0, kFollower = 1, kTownsman = 2;
inline constexpr int kStartX = 4, kStartY = 20;
inline constexpr int kOriginX = 0, kOriginY = 8;

MapLayout layout();
// MAP.DAT: the encoded layout at the fixed offsets.
std::vector<uint8_t> mapFile();
// Offsets of the parts in mapFile() relative to the object block.
EncodedMap encoded();

demo::Picture tileSheet();
demo::Picture statusParts();

} // namespace mapgen::sample

#pragma once
// The demo's second act: a walkable village of 40 x 25 cells (the whole
// screen, so the view never scrolls), drawn tile by tile from our own sheet.
// A house with a door that starts a scene, a pond to walk round, a flag on a
// pole and a lit window (animation channels), the player and a friend who
// follows on the trail. Also the pictures of the scene behind the door (the
// flower festival, with falling petals) and the animation data.

#include <cstdint>
#include <vector>

#include "DemoPictures.h"
#include "MapLayout.h"

namespace mapgen::village {

// Where VILLAGE.MES loads its data: the map file at 0x10000 (map block,
// object block at + 0x4000, trigger table at + 0x6000), the animation block
// (ANIM.DAT) at 0x8000.
inline constexpr uint32_t kMapAt = 0x10000;
inline constexpr uint32_t kObjectBlockAt = 0x4000;
inline constexpr uint32_t kTriggerTableAt = 0x6000;
inline constexpr uint32_t kFileSize = 0x7000;
inline constexpr uint32_t kAnimationAt = 0x8000;

inline constexpr uint16_t kWidth = 40, kHeight = 25;

// Tiles of the sheet (VTILES.PIC, loaded as sheet A and sheet B).
enum Tile : uint16_t {
    kGrass = 0,
    kPath = 1,
    kTree = 2,
    kRoof = 3,
    kHouseWall = 4,
    kWindow = 5,
    kDoor = 6,
    kWater = 7,
    kFlowers = 8,
    kPole = 9,
    kFence = 10,
};
inline constexpr uint16_t kPlayerTiles = 100, kFriendTiles = 200;
inline constexpr uint8_t kKey = 8; // the sprites' transparent colour

// The house: roof rows 3..5, wall rows 6..8, columns 22..31; the door in
// its bottom row at columns 26..27, two windows at 24..25 and 28..29.
inline constexpr int kHouseLeft = 22, kHouseRight = 31, kRoofTop = 3, kWallTop = 6,
                     kHouseBottom = 8;
inline constexpr int kDoorX = 26, kWindowX = 24, kWindowY = 7;
// The trigger in front of the door: it answers to the player, whichever way
// it faces, when its feet reach row 9 under the door.
inline constexpr uint16_t kDoorTrigger = 1;
inline constexpr int kDoorTriggerRow = 9;
// The pond between the start and the house's east side.
inline constexpr int kPondLeft = 8, kPondTop = 13, kPondRight = 14, kPondBottom = 18;
// The flower bed with the flag pole; the flag flies from (272, 96), 32 x 16.
// Both lie below row 88: every map step puts back the status bar's strip
// (rows 8 to 87, the whole width) from the copy saved when the bar was
// drawn, which would take away whatever a channel drew there since.
inline constexpr int kBedLeft = 15, kBedTop = 6, kBedRight = 19, kBedBottom = 9, kPoleX = 16;
inline constexpr int kFlagX = 272, kFlagY = 96, kFlagW = 32, kFlagH = 16, kFlagFrames = 4;
// The lit part of each window pane (one per window cell).
inline constexpr int kPaneInset = 3, kPaneSize = 10;

inline constexpr int kPlayer = 0, kFriend = 1;
inline constexpr int kStartX = 4, kStartY = 19; // the player's cell; the friend starts above
inline constexpr int kFriendStartY = 16;

// Colours (demo palette).
uint8_t grassColour();
uint8_t litColour();  // a lit window pane
uint8_t darkColour(); // an unlit one
uint8_t playerShirt();
uint8_t friendShirt();
// The petals' colours (pale and rosy entries of the sunset ramp); the
// festival picture holds none of them. Particles are taken away only where
// they show a colour above 155, so petals must be drawn in such colours.
inline constexpr uint8_t kPetalPale = 199, kPetalRose = 186;

MapLayout layout();
std::vector<uint8_t> mapFile();

// The tile sheet (640 x 400): ground tiles in row 0, the player's 64
// tiles from 100, the friend's from 200.
demo::Picture tileSheet();
// What tile n looks like (16 x 16), used by the sheet and by the tests.
uint8_t tilePixel(uint16_t tile, int x, int y);
// The screen as the map draws it before anyone stands on it.
demo::Picture groundScreen();
// The status bar's parts (plane 5).
demo::Picture statusParts();
// Plane 1 during the walk: the flag's frames side by side at (32k, 0), each
// over the flower bed it flies in front of.
demo::Picture flagFrames();
// The scene behind the door: the festival in the square, evening.
demo::Picture festivalPicture();
// The four petal images, 64 x 16, loaded at (0, 8) of plane 3.
demo::Picture petalImages();

// The animation block (ANIM.DAT, loaded at kAnimationAt): program 0 waves
// the flag, program 1 lights and darkens the windows.
std::vector<uint8_t> animationFile();

std::vector<demo::Picture> allPictures();

} // namespace mapgen::village

#include "SampleMap.h"

#include <algorithm>

namespace mapgen::sample {

MapLayout layout() {
    MapLayout m(kWidth, kHeight, kGrass);
    auto stone = [&](int x, int y) { m.cell(x, y) = cellBits(kStone, kNoTile, true); };
    for (int x = 0; x < kWidth; ++x) {
        stone(x, 0);
        stone(x, kHeight - 1);
    }
    for (int y = 0; y < kHeight; ++y) {
        stone(0, y);
        stone(kWidth - 1, y);
    }
    for (int y = kColumnTop; y <= kColumnBottom; ++y) stone(kColumnX, y);
    stone(kCornerX, kCornerY);
    m.cell(kMarkerX, kMarkerY) = cellBits(kMarker);
    // A roof over a few cells of grass near the start: drawn over characters.
    for (int x = 2; x < 6; ++x) m.cell(x, 4) = cellBits(kGrass, kRoof);

    m.programs = {
        {0xEF, 0x00}, // 0: the player's control, again and again
        {0x61, 0x00}, // 1: follow three trail entries back
        {0x9F, 0x00}, // 2: stand
    };
    // The player: visible, solid, stopped by objects and walls, followed by
    // the view, tracked.
    m.objects.push_back({.flags = 0x7B, .sprite = 0, .program = 0});
    m.objects.push_back({.flags = 0x01, .sprite = 1, .program = 1});
    m.objects.push_back({.flags = 0x03, .sprite = 2, .x = 12, .y = 26, .pose = 4, .program = 2});
    m.placements = {{kOriginX, kOriginY, kStartX, kStartY},
                    {kOriginX, kOriginY, kStartX, kStartY - 3}};
    m.sprites = {sequentialSprite(kPlayerTiles), sequentialSprite(kFollowerTiles),
                 sequentialSprite(kTownsmanTiles)};
    m.triggers = {{kDownTrigger, 50, kDownTriggerRow, 55, kDownTriggerRow, 0x2},
                  {kUpTrigger, 50, kUpTriggerRow, 55, kUpTriggerRow, 0x1}};
    return m;
}

EncodedMap encoded() {
    return encode(layout());
}

std::vector<uint8_t> mapFile() {
    return mapgen::mapFile(encoded(), kObjectBlockAt, kTriggerTableAt, kFileSize);
}

namespace {
// Fills tile n of a sheet; border pixels (the outer `border` ring) get
// another colour.
void tile(demo::Picture& p, int n, uint8_t colour, uint8_t borderColour, int border) {
    const int x0 = 16 * (n % 40), y0 = 16 * (n / 40);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool edge = x < border || y < border || x >= 16 - border || y >= 16 - border;
            p.pixels[size_t(y0 + y) * p.width + size_t(x0 + x)] = edge ? borderColour : colour;
        }
}
} // namespace

demo::Picture tileSheet() {
    demo::Picture p{"TILES.BMP", 0, 0, 640, 400, std::vector<uint8_t>(640 * 400, 0)};
    tile(p, kGrass, kGrassColour, kGrassColour + 1, 1);
    tile(p, kStone, kStoneColour, kStoneColour + 1, 1);
    tile(p, kMarker, kMarkerColour, kMarkerColour + 1, 1);
    // The roof covers the upper half; the lower half is transparent.
    tile(p, kRoof, kRoofColour, kRoofColour, 0);
    for (int y = 8; y < 16; ++y)
        for (int x = 0; x < 16; ++x) p.pixels[size_t(y) * 640 + 16 * kRoof + x] = kKey;
    for (int i = 0; i < 64; ++i) {
        tile(p, kPlayerTiles + i, kPlayerColour, kKey, 3);
        tile(p, kFollowerTiles + i, kFollowerColour, kKey, 3);
        tile(p, kTownsmanTiles + i, kTownsmanColour, kKey, 3);
    }
    return p;
}

demo::Picture statusParts() {
    demo::Picture p{"PARTS.BMP", 0, 0, 640, 400, std::vector<uint8_t>(640 * 400, 0)};
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            p.pixels[size_t(y) * 640 + size_t(x)] = uint8_t(16 + (x / 7 + y / 5) % 12);
    return p;
}

} // namespace mapgen::sample

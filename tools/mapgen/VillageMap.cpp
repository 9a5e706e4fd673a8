#include "VillageMap.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "DemoPalette.h"

namespace mapgen::village {

namespace {

using demo::Picture;
namespace ui = demo::ui;

uint32_t hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

Picture blank(const char* name, int w, int h, uint8_t fill) {
    Picture p;
    p.name = name;
    p.width = uint16_t(w);
    p.height = uint16_t(h);
    p.pixels.assign(size_t(w) * size_t(h), fill);
    return p;
}

void put(Picture& p, int x, int y, uint8_t c) {
    if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.pixels[size_t(y) * p.width + size_t(x)] = c;
}

void rect(Picture& p, int x0, int y0, int x1, int y1, uint8_t c) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) put(p, x, y, c);
}

bool inDisc(int x, int y, int cx, int cy, int r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

constexpr uint8_t kSkin = demo::kSunset.first + 37;
constexpr uint8_t kHair = demo::kBrown.first + 4;
constexpr uint8_t kTrousers = demo::kNight.first + 20;

// One pose of a character, 32 x 32: facing 0 up, 1 down, 2 left, 3 right;
// step 0..3 of the walk (1 and 3 with the legs apart).
uint8_t characterPixel(uint8_t shirt, int facing, int step, int x, int y) {
    const int bob = (step & 1) ? 1 : 0;
    const int hx = 16, hy = 8 + bob;
    if (inDisc(x, y, hx, hy, 6)) {
        if (facing == 0) return kHair;
        if (y < hy - 2) return kHair;
        const int eyeY = hy;
        if (facing == 1 && y == eyeY && (x == hx - 3 || x == hx + 2)) return ui::kOutline;
        if (facing == 2 && y == eyeY && x == hx - 4) return ui::kOutline;
        if (facing == 3 && y == eyeY && x == hx + 3) return ui::kOutline;
        return kSkin;
    }
    if (y >= 15 + bob && y <= 25 && x >= 10 && x <= 21) {
        // Arms swing with the step.
        return shirt;
    }
    if (y >= 15 + bob && y <= 23 && (x == 8 || x == 9 || x == 22 || x == 23)) return kSkin;
    if (y >= 26 && y <= 31) {
        const int spread = (step == 1) ? 2 : (step == 3 ? -2 : 0);
        const bool left = x >= 11 - spread && x <= 14 - spread;
        const bool right = x >= 17 + spread && x <= 20 + spread;
        if (left || right) return y >= 30 ? ui::kOutline : kTrousers;
    }
    return kKey;
}

// Seven-segment digit d in a w x h box.
void digit(Picture& p, int x0, int y0, int w, int h, int d, uint8_t c) {
    static const uint8_t segs[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const uint8_t s = segs[d % 10];
    const int l = x0 + 2, r = x0 + w - 3, t = y0 + 2, m = y0 + h / 2, b = y0 + h - 3;
    if (s & 0x01) rect(p, l, t, r, t + 1, c);
    if (s & 0x02) rect(p, r - 1, t, r, m, c);
    if (s & 0x04) rect(p, r - 1, m, r, b, c);
    if (s & 0x08) rect(p, l, b - 1, r, b, c);
    if (s & 0x10) rect(p, l, m, l + 1, b, c);
    if (s & 0x20) rect(p, l, t, l + 1, m, c);
    if (s & 0x40) rect(p, l, m - 1, r, m, c);
}

} // namespace

uint8_t grassColour() {
    return demo::kGreen.first + 18;
}
uint8_t litColour() {
    return ui::kGold;
}
uint8_t darkColour() {
    return demo::kNight.first + 6;
}
uint8_t playerShirt() {
    return ui::kKiteBlue;
}
uint8_t friendShirt() {
    return demo::kSunset.first + 20;
}

uint8_t tilePixel(uint16_t tile, int x, int y) {
    const uint32_t h = hash(uint32_t(x + 16 * tile), uint32_t(y));
    const uint8_t grass = uint8_t(grassColour() + (h % 7 == 0 ? 3 : 0) - (h % 11 == 0 ? 3 : 0));
    switch (tile) {
    case kGrass: return grass;
    case kPath: return uint8_t(demo::kBrown.first + 22 + (h % 5 == 0 ? 3 : 0));
    case kTree:
        if (inDisc(x, y, 8, 7, 7)) return uint8_t(demo::kGreen.first + 4 + (h % 3) + (x + y < 12 ? 4 : 0));
        if (x >= 6 && x <= 9 && y >= 12) return demo::kBrown.first + 6;
        return grass;
    case kRoof:
        return uint8_t(demo::kSunset.first + 16 + ((y % 4) == 3 ? 0 : 4) + ((x + (y / 4) * 4) % 8 == 0 ? 2 : 0));
    case kHouseWall:
        return uint8_t(demo::kBrown.first + (y % 5 == 4 ? 20 : 27));
    case kWindow:
        if (x < kPaneInset || y < kPaneInset || x >= kPaneInset + kPaneSize || y >= kPaneInset + kPaneSize)
            return demo::kBrown.first + 8;
        return darkColour();
    case kDoor:
        if (x == 12 && y == 9) return ui::kGold;
        if (x < 2 || y < 2) return demo::kBrown.first + 8;
        return uint8_t(demo::kBrown.first + 12 + (x % 5 == 0 ? 0 : 3));
    case kWater:
        return uint8_t(demo::kSky.first + 18 + ((x + 2 * y + (h % 3)) % 9 == 0 ? 14 : 0));
    case kFlowers:
        if (h % 23 == 0) return ui::kKiteYellow;
        if (h % 23 == 1) return ui::kKiteRed;
        return uint8_t(demo::kGreen.first + 10 + (h % 2));
    case kPole:
        if (x >= 1 && x <= 2) return 24;
        return tilePixel(kFlowers, x, y);
    case kFence:
        if ((x >= 2 && x <= 4) || (x >= 11 && x <= 13)) return demo::kBrown.first + 14;
        if (y >= 5 && y <= 6) return demo::kBrown.first + 18;
        return grass;
    default: return 0;
    }
}

MapLayout layout() {
    MapLayout m(kWidth, kHeight, kGrass);
    auto set = [&](int x, int y, uint16_t tile, bool wall) { m.cell(x, y) = cellBits(tile, kNoTile, wall); };
    // Trees all round; a fence along the bottom.
    for (int x = 0; x < kWidth; ++x) {
        set(x, 0, kTree, true);
        set(x, 1, kTree, true);
        set(x, kHeight - 1, kFence, true);
    }
    for (int y = 0; y < kHeight; ++y) {
        set(0, y, kTree, true);
        set(kWidth - 1, y, kTree, true);
    }
    // A path from the start to the door, and along the bottom.
    for (int y = 10; y <= 21; ++y) set(4, y, kPath, false), set(5, y, kPath, false);
    for (int x = 4; x <= 34; ++x) set(x, 21, kPath, false), set(x, 22, kPath, false);
    for (int y = kDoorTriggerRow; y <= 22; ++y) set(kDoorX, y, kPath, false), set(kDoorX + 1, y, kPath, false);
    // The house.
    for (int x = kHouseLeft; x <= kHouseRight; ++x) {
        for (int y = kRoofTop; y < kWallTop; ++y) set(x, y, kRoof, true);
        for (int y = kWallTop; y <= kHouseBottom; ++y) set(x, y, kHouseWall, true);
    }
    for (int x : {kWindowX, kWindowX + 1, kWindowX + 4, kWindowX + 5}) set(x, kWindowY, kWindow, true);
    set(kDoorX, kHouseBottom, kDoor, true);
    set(kDoorX + 1, kHouseBottom, kDoor, true);
    // The pond.
    for (int y = kPondTop; y <= kPondBottom; ++y)
        for (int x = kPondLeft; x <= kPondRight; ++x) set(x, y, kWater, true);
    // The flower bed with the pole.
    for (int y = kBedTop; y <= kBedBottom; ++y)
        for (int x = kBedLeft; x <= kBedRight; ++x) set(x, y, x == kPoleX ? kPole : kFlowers, true);
    // A few trees in the meadow east of the house.
    for (auto [x, y] : {std::pair{35, 6}, {36, 12}, {33, 15}, {18, 12}})
        set(x, y, kTree, true);

    m.programs = {
        {0xEF, 0x00}, // 0: the player's control, again and again
        {0x61, 0x00}, // 1: the friend follows three trail entries back
    };
    // The player: visible, solid, stopped by objects and walls, followed by
    // the view, tracked. The friend: visible.
    m.objects.push_back({.flags = 0x7B, .sprite = 0, .program = 0});
    m.objects.push_back({.flags = 0x01, .sprite = 1, .program = 1});
    m.placements = {{0, 0, kStartX, kStartY}, {0, 0, kStartX, kFriendStartY}};
    m.sprites = {sequentialSprite(kPlayerTiles), sequentialSprite(kFriendTiles)};
    m.triggers = {{kDoorTrigger, uint16_t(kDoorX), uint16_t(kDoorTriggerRow), uint16_t(kDoorX + 1),
                   uint16_t(kDoorTriggerRow), 0xF}};
    return m;
}

std::vector<uint8_t> mapFile() {
    return mapgen::mapFile(encode(layout()), kObjectBlockAt, kTriggerTableAt, kFileSize);
}

demo::Picture tileSheet() {
    Picture p = blank("VTILES.PIC", 640, 400, 0);
    auto drawTile = [&](uint16_t n, auto pixel) {
        const int x0 = 16 * (n % 40), y0 = 16 * (n / 40);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) put(p, x0 + x, y0 + y, pixel(x, y));
    };
    for (uint16_t t = kGrass; t <= kFence; ++t)
        drawTile(t, [&](int x, int y) { return tilePixel(t, x, y); });
    // Characters: pose p = facing * 4 + step, its cells top-left, top-right,
    // bottom-left, bottom-right.
    for (const auto& character : {std::pair{kPlayerTiles, playerShirt()}, {kFriendTiles, friendShirt()}}) {
        // Named copies, not a structured binding: the lambda below captures them.
        const auto first = character.first;
        const auto shirt = character.second;
        for (int pose = 0; pose < 16; ++pose)
            for (int i = 0; i < 4; ++i)
                drawTile(uint16_t(first + 4 * pose + i), [&](int x, int y) {
                    return characterPixel(shirt, pose / 4, pose % 4, x + 16 * (i % 2), y + 16 * (i / 2));
                });
    }
    return p;
}

demo::Picture groundScreen() {
    Picture p = blank("VILLAGE", 640, 400, 0);
    const MapLayout m = layout();
    for (int cy = 0; cy < kHeight; ++cy)
        for (int cx = 0; cx < kWidth; ++cx) {
            const uint16_t tile = uint16_t(m.cells[size_t(cy) * kWidth + size_t(cx)] & 0x3FF);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) put(p, 16 * cx + x, 16 * cy + y, tilePixel(tile, x, y));
        }
    return p;
}

demo::Picture statusParts() {
    Picture p = blank("VPARTS.PIC", 640, 400, demo::kBrown.first + 10);
    // Wood grain.
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            if ((hash(uint32_t(x / 9), uint32_t(y)) % 13) == 0) put(p, x, y, demo::kBrown.first + 14);
    // The two frames (88 x 80 at (0, 80) and (92, 80)): a light rim.
    for (int f : {0, 92}) {
        rect(p, f, 80, f + 87, 81, demo::kBrown.first + 28);
        rect(p, f, 158, f + 87, 159, demo::kBrown.first + 4);
        rect(p, f, 80, f + 1, 159, demo::kBrown.first + 28);
        rect(p, f + 86, 80, f + 87, 159, demo::kBrown.first + 4);
    }
    // Clock digits (14 x 28 at 198 + 14d, 80) and amount digits (12 x 24 at 208 + 12d, 108).
    for (int d = 0; d < 10; ++d) {
        rect(p, 198 + 14 * d, 80, 211 + 14 * d, 107, demo::kBrown.first + 2);
        digit(p, 198 + 14 * d, 80, 14, 28, d, ui::kGold);
    }
    for (int d = 0; d < 10; ++d) {
        rect(p, 208 + 12 * d, 108, 219 + 12 * d, 131, demo::kBrown.first + 2);
        digit(p, 208 + 12 * d, 108, 12, 24, d, ui::kCloud);
    }
    return p;
}

demo::Picture flagFrames() {
    Picture p = blank("VANIM.PIC", 640, 400, 0);
    const double pi = 3.14159265358979;
    for (int k = 0; k < kFlagFrames; ++k)
        for (int y = 0; y < kFlagH; ++y)
            for (int x = 0; x < kFlagW; ++x) {
                const int wave = int(std::lround(2.0 * std::sin(x / 5.0 - k * pi / 2)));
                const int top = 2 + wave * x / kFlagW, row = y - top;
                uint8_t c = tilePixel(kFlowers, (kFlagX + x) % 16, (kFlagY + y) % 16);
                if (x < 28 && row >= 0 && row < 10) c = (row >= 4 && row <= 5) ? ui::kKiteYellow : ui::kKiteRed;
                put(p, kFlagW * k + x, y, c);
            }
    return p;
}

demo::Picture festivalPicture() {
    Picture p = blank("FEST.PIC", 640, 400, 0);
    // A night sky, darkest at the top.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 640; ++x) put(p, x, y, demo::kNight.at(y, 240));
    // Houses against the evening sky, roofs and lit windows.
    for (int i = 0; i < 5; ++i) {
        const int x0 = 20 + 130 * i, top = 150 + (i % 2) * 20;
        rect(p, x0, top, x0 + 100, 240, demo::kBrown.first + 6 + 2 * i);
        for (int r = 0; r < 30; ++r) rect(p, x0 - 8 + r, top - 30 + r, x0 + 108 - r, top - 30 + r, demo::kBrown.first + 2);
        rect(p, x0 + 20, top + 20, x0 + 40, top + 40, ui::kGold);
        rect(p, x0 + 60, top + 20, x0 + 80, top + 40, ui::kGold);
    }
    // The square and a string of lanterns.
    for (int y = 240; y < 400; ++y)
        for (int x = 0; x < 640; ++x) put(p, x, y, demo::kGreen.at(y - 240, 160));
    for (int x = 0; x < 640; ++x) {
        const int y = 110 + int(std::lround(18 * std::sin(x / 102.0)));
        put(p, x, y, demo::kNight.first + 2);
        if (x % 64 == 32)
            for (int dy = 1; dy <= 9; ++dy)
                for (int dx = -4; dx <= 4; ++dx) put(p, x + dx, y + dy, ui::kKiteYellow);
    }
    return p;
}

demo::Picture petalImages() {
    Picture p = blank("PETALS.PIC", 64, 16, 0);
    for (int k = 0; k < 4; ++k)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double dx = (x - 7.5) / (3.0 + k), dy = (y - 7.5) / (5.0 - k * 0.5);
                const double rx = dx * 0.8 + dy * 0.6, ry = -dx * 0.6 + dy * 0.8;
                if (rx * rx + ry * ry <= 1.0)
                    put(p, 16 * k + x, y, rx * rx + ry * ry < 0.3 ? kPetalRose : kPetalPale);
            }
    return p;
}

std::vector<uint8_t> animationFile() {
    // The block starts at A: step records at A + 3777 + 17c, the program
    // table at A + 4097, programs at A + 4096 + their offset.
    std::vector<uint8_t> b(4096 + 1024 + 64, 0);
    auto w16 = [&](size_t at, int v) {
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
    };
    auto record = [&](int code, uint8_t head, std::initializer_list<int> fields) {
        const size_t at = 3777 + 17 * size_t(code);
        b[at] = head;
        size_t i = 0;
        for (int f : fields) w16(at + 1 + 2 * i++, f);
    };
    // Codes 20..23: flag frame k from plane 1 onto the screen (copy, read plane 1).
    for (int k = 0; k < kFlagFrames; ++k)
        record(20 + k, 0x12, {kFlagW * k, 0, kFlagW, kFlagH, kFlagX, kFlagY, kFlagX, kFlagY});
    // Codes 24..27: the window panes lit; 28..31 dark (fill, colour in the
    // ninth byte). Records of codes 18 and 19 would overlap the program table.
    const int paneY = 16 * kWindowY + kPaneInset;
    int i = 0;
    for (int cx : {kWindowX, kWindowX + 1, kWindowX + 4, kWindowX + 5}) {
        record(24 + i, 0x60, {16 * cx + kPaneInset, paneY, kPaneSize, kPaneSize, litColour()});
        record(28 + i, 0x60, {16 * cx + kPaneInset, paneY, kPaneSize, kPaneSize, darkColour()});
        ++i;
    }
    // Delays count ticks of 15 ms.
    const std::vector<uint8_t> flag = {20, 2, 6, 21, 2, 6, 22, 2, 6, 23, 2, 6, 3};
    const std::vector<uint8_t> window = {24, 25, 26, 27, 2, 60, 28, 29, 2, 10, 30, 31, 2, 40, 3};
    constexpr int kPrograms = 1024;
    w16(4097, kPrograms);
    w16(4099, kPrograms + int(flag.size()));
    std::copy(flag.begin(), flag.end(), b.begin() + 4096 + kPrograms);
    std::copy(window.begin(), window.end(), b.begin() + 4096 + kPrograms + long(flag.size()));
    return b;
}

std::vector<demo::Picture> allPictures() {
    return {tileSheet(), statusParts(), flagFrames(), festivalPicture(), petalImages()};
}

} // namespace mapgen::village

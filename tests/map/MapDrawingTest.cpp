// Drawing the view: straight copies, composed cells, the order of two
// characters on a cell, what WriteSub redraws, its scan directions and the
// status bar with the copy of the map under it.

#include <gtest/gtest.h>

#include "MapTestSupport.h"
#include "core/CommandTable.h"
#include "map/MapCommands.h"
#include "map/MapMessages.h"

namespace fer::test {
namespace {

using mapgen::cellBits;
using mapgen::MapLayout;

constexpr uint8_t kKey = 8;

// Tile n of sheet `plane` gets colour (base + n) with a key-coloured ring
// `ring` pixels wide.
void paintTile(PlaneSet& planes, int plane, int n, uint8_t colour, int ring) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool edge = x < ring || y < ring || x >= 16 - ring || y >= 16 - ring;
            planes[plane].set(16 * (n % 40) + x, 16 * (n / 40) + y, edge ? kKey : colour);
        }
}

uint8_t screenAt(MapFixture& f, int col, int row, int x, int y) {
    return f.planes[0].at(16 * col + x, 16 * row + y);
}

TEST(MapDrawing, CellCoveredByNothingIsCopiedWithoutTransparency) {
    MapFixture f;
    MapLayout m = openMap(40, 25);
    m.cell(3, 7) = cellBits(5);
    m.cell(4, 7) = cellBits(5, 6); // an upper tile that is all key colour
    f.load(m);
    paintTile(f.planes, 2, 5, 50, 4); // ground with the key colour round it
    paintTile(f.planes, 2, 6, 60, 16);
    f.memory.setReg16(reg16::kColourKey, kKey);
    f.op(0);
    f.op(2);
    f.op(10);
    EXPECT_EQ(screenAt(f, 3, 7, 0, 0), kKey); // copied as it is
    EXPECT_EQ(screenAt(f, 3, 7, 8, 8), 50);
    EXPECT_EQ(screenAt(f, 4, 7, 0, 0), kKey); // the upper tile's key pixels show the ground
    EXPECT_EQ(screenAt(f, 4, 7, 8, 8), 50);
    EXPECT_EQ(f.engine.cellsDrawn(), 1000);
    EXPECT_EQ(f.host.presents, 1);
}

TEST(MapDrawing, CharactersComeBetweenGroundAndUpperTiles) {
    MapFixture f;
    MapLayout m = openMap(40, 25);
    m.cell(11, 11) = cellBits(5, 7);
    m.objects = {{.flags = 0x01, .sprite = 0, .x = 10, .y = 10}};
    f.load(m);
    paintTile(f.planes, 2, 5, 50, 0);
    paintTile(f.planes, 2, 7, 70, 6); // a roof with a hole in the middle... inverted:
    for (int y = 0; y < 16; ++y)      // key in the middle, roof round it
        for (int x = 0; x < 16; ++x)
            f.planes[2].set(16 * 7 + x, y, (x >= 6 && x < 10 && y >= 6 && y < 10) ? kKey : 70);
    for (int t = 100; t < 104; ++t) paintTile(f.planes, 3, t, 90, 2);
    f.memory.setReg16(reg16::kColourKey, kKey);
    f.op(0);
    f.op(2);
    f.op(6);
    f.op(10);
    // Cell (10, 10): tile 100 over the ground; (11, 11): tile 103 under the roof.
    EXPECT_EQ(f.engine.layers().at(10, 10)[2], 100);
    EXPECT_EQ(screenAt(f, 10, 10, 0, 0), 0); // ground tile 0 of plane 2 is colour 0
    EXPECT_EQ(screenAt(f, 10, 10, 8, 8), 90);
    EXPECT_EQ(screenAt(f, 11, 11, 0, 0), 70);
    EXPECT_EQ(screenAt(f, 11, 11, 8, 8), 90);
    EXPECT_EQ(screenAt(f, 11, 11, 1, 1), 70);
    // Flag 0x04 puts the character into the upper layer from sheet B.
    f.object(0).setFlags(0x05);
    f.op(2);
    f.op(6);
    EXPECT_EQ(f.engine.layers().at(11, 11)[1], 103 | 0x400);
    EXPECT_EQ(f.engine.layers().at(11, 11)[2], 0xFFFF);
    f.op(11);
    EXPECT_EQ(screenAt(f, 11, 11, 8, 8), 90);
    EXPECT_EQ(screenAt(f, 11, 11, 0, 0), 50); // the ground shows through the sprite's ring
}

TEST(MapDrawing, LargerYIsDrawnInFrontAndAThirdCharacterIsDropped) {
    MapFixture f;
    MapLayout m = openMap(40, 25);
    // Object 2's tiles lie past 511: the tile number has ten bits.
    m.sprites = {mapgen::sequentialSprite(100), mapgen::sequentialSprite(200),
                 mapgen::sequentialSprite(600)};
    // Cell (5, 6): the lower half of object 1 (y 5) and the upper half of
    // object 0 (y 6), listed first; object 2 also covers it.
    m.objects = {{.flags = 0x01, .sprite = 0, .x = 5, .y = 6},
                 {.flags = 0x01, .sprite = 1, .x = 5, .y = 5},
                 {.flags = 0x01, .sprite = 2, .x = 4, .y = 5}};
    f.load(m);
    for (int i = 0; i < 4; ++i) {
        paintTile(f.planes, 3, 100 + i, 100, 4);
        paintTile(f.planes, 3, 200 + i, 200, 2);
        paintTile(f.planes, 3, 600 + i, 30, 0);
    }
    f.memory.setReg16(reg16::kColourKey, kKey);
    f.op(0);
    f.op(2);
    f.op(6);
    const auto& cell = f.engine.layers().at(5, 6);
    EXPECT_EQ(cell[2], 202 | (1 << 10)); // object 1, bottom-left of its sprite
    EXPECT_EQ(cell[3], 100 | (0 << 10)); // object 0, larger y, in front
    f.op(10);
    EXPECT_EQ(screenAt(f, 5, 6, 8, 8), 100);
    EXPECT_EQ(screenAt(f, 5, 6, 3, 3), 200); // object 1 shows round object 0's ring ...
    EXPECT_EQ(screenAt(f, 5, 6, 0, 0), 0);   // ... and the ground round both
    // Object 2's tile is drawn where it is alone.
    EXPECT_EQ(screenAt(f, 4, 5, 8, 8), 30);
}

TEST(MapDrawing, WriteSubRedrawsOnlyChangedCellsAndOp3MakesThemAllChanged) {
    MapFixture f;
    MapLayout m = openMap(40, 25);
    m.programs = {{0x50, 0x90, 0x00}};
    m.objects = {{.flags = 0x59, .sprite = 0, .x = 10, .y = 10, .program = 0}};
    f.load(m);
    f.begin();
    f.op(11);
    EXPECT_EQ(f.engine.cellsDrawn(), 0); // an unchanged frame
    f.op(3);
    f.op(11);
    EXPECT_EQ(f.engine.cellsDrawn(), 1000);
    f.op(8); // one cell right: six cells change
    EXPECT_EQ(f.result(), 0xFFFF);
    EXPECT_EQ(f.engine.cellsDrawn(), 6);
    f.op(8); // waiting: nothing changes
    EXPECT_EQ(f.engine.cellsDrawn(), 0);
}

TEST(MapDrawing, WriteSubScanDirectionsAndTheFatalOnes) {
    for (int direction = 0; direction < 16; ++direction) {
        MapFixture f;
        f.load(openMap(40, 25));
        f.op(0);
        f.op(2);
        f.engine.state().scrollDirection = static_cast<uint8_t>(direction);
        f.op(11);
        const bool good = direction == 0 || direction == 1 || direction == 2 || direction == 3 ||
                          direction == 4 || direction == 5 || direction == 8 || direction == 10 ||
                          direction == 12;
        if (good) {
            EXPECT_TRUE(f.host.errors.empty()) << direction;
            EXPECT_EQ(f.engine.cellsDrawn(), 1000) << direction;
        } else {
            ASSERT_EQ(f.host.errors.size(), 1u) << direction;
            EXPECT_EQ(f.host.errors[0].first, map_message::kMapErrorTitle);
            EXPECT_EQ(f.host.errors[0].second, map_message::kWriteSubFailed);
            EXPECT_EQ(f.engine.cellsDrawn(), 0);
        }
    }
}

TEST(MapDrawing, StatusBarCopiesFromPlane5AndKeepsTheMapUnderItInPlane4) {
    MapFixture f;
    f.load(openMap(40, 25));
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) f.planes[5].set(x, y, uint8_t(1 + (x * 7 + y * 13) % 250));
    paintTile(f.planes, 2, 0, 33, 0);
    auto expectCopy = [&](int sx, int sy, int w, int h, int dx, int dy, const char* what) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(f.planes[0].at(dx + x, dy + y), f.planes[5].at(sx + x, sy + y))
                    << what << " at " << x << "," << y;
    };
    f.memory.setReg16(reg16::kStatusDate, 1224); // December 24th
    f.memory.setReg16(reg16::kStatusTime, 2307); // 23:07
    f.memory.setReg16(reg16::kStatusAmount, 12345);
    f.memory.setReg16(reg16::kStatusDayIcon, 2);
    f.memory.setFlag(flag::kWeather, 6);
    f.op(0);
    f.op(2);
    f.op(10);
    expectCopy(0, 80, 88, 4, 8, 8, "frame left"); // the rows no later part covers
    expectCopy(92, 80, 88, 4, 544, 8, "frame right");
    expectCopy(546, 144, 24, 36, 12, 12, "month icon");
    // Day 24: k = 15 -> column 0, row 3.
    expectCopy(432, 108, 38, 36, 36, 12, "day icon");
    expectCopy(622, 36, 14, 36, 78, 12, "day mark from the day-icon register");
    expectCopy(326, 132, 14, 32, 12, 51, "half-day mark");
    expectCopy(342, 80, 4, 28, 32, 54, "hour tens");
    expectCopy(198 + 14 * 1, 80, 14, 28, 38, 54, "hour");
    expectCopy(198, 80, 14, 28, 60, 54, "minute tens");
    expectCopy(198 + 14 * 7, 80, 14, 28, 76, 54, "minute units");
    expectCopy(208 + 12, 108, 12, 24, 562, 56, "ten thousands");
    expectCopy(208 + 24, 108, 12, 24, 574, 56, "thousands");
    expectCopy(328, 108, 4, 24, 586, 58, "separator");
    expectCopy(208 + 36, 108, 12, 24, 590, 56, "hundreds");
    expectCopy(208 + 48, 108, 12, 24, 602, 56, "tens");
    expectCopy(208 + 60, 108, 12, 24, 614, 56, "units");
    expectCopy(448, 252, 80, 36, 548, 12, "weather 6");
    // Plane 4 holds the map as it was under the bar: the ground colour.
    EXPECT_EQ(f.planes[4].at(100, 0), 33);
    EXPECT_EQ(f.planes[4].at(20, 10), 33);
    // WriteSub puts it back before drawing: a small amount leaves the
    // thousands digits' place showing the map again.
    f.memory.setReg16(reg16::kStatusAmount, 7);
    f.op(11);
    EXPECT_EQ(f.planes[0].at(575, 60), f.planes[5].at(92 + 575 - 544, 80 + 60 - 8)); // the frame
    expectCopy(208 + 84, 108, 12, 24, 614, 56, "units 7");
    // 12:30 is past noon and shows as 12: hour tens and hour 2.
    f.memory.setReg16(reg16::kStatusTime, 1230);
    f.op(11);
    expectCopy(342, 80, 4, 28, 32, 54, "hour tens at 12:30");
    expectCopy(198 + 14 * 2, 80, 14, 28, 38, 54, "hour at 12:30");
    // Day 0 has no day icon: the frame shows there.
    f.memory.setReg16(reg16::kStatusDate, 1200);
    f.op(11);
    EXPECT_EQ(f.planes[0].at(40, 20), f.planes[5].at(40 - 8, 80 + 20 - 8));
}

TEST(MapDrawing, ObjectsPartlyOutsideTheViewAndOddSizesStayInside) {
    MapFixture f;
    MapLayout m = openMap(100, 100);
    m.objects = {{.flags = 0x01, .sprite = 0, .width = 255, .height = 255, .x = 30, .y = 20},
                 {.flags = 0x01, .sprite = 0, .width = 0, .height = 0, .x = 39, .y = 24},
                 {.flags = 0x05, .sprite = 200, .x = 65535, .y = 65535}};
    f.load(m);
    f.op(0);
    f.op(2);
    f.op(6);
    f.op(10);
    EXPECT_NE(f.engine.layers().at(39, 24)[2], 0xFFFF);
    EXPECT_NE(f.engine.layers().at(30, 20)[2], 0xFFFF);
    EXPECT_EQ(f.engine.layers().at(29, 20)[2], 0xFFFF);
}

} // namespace
} // namespace fer::test

namespace fer::test {
namespace {

ArgumentList numbers(std::initializer_list<uint32_t> values) {
    ArgumentList args;
    for (uint32_t v : values) {
        Argument* a = args.beginEntry();
        a->setKind(Argument::kNumber);
        a->setValue(v);
        args.endEntry();
    }
    return args;
}

TEST(MapCommand, SystemCommand17CarriesOutTheOperations) {
    MapFixture f;
    f.load(openMap(40, 25));
    MapCommands commands(f.memory, f.planes, f.host);
    CommandTable table;
    commands.registerWith(table);
    ASSERT_TRUE(table.has(CommandKind::kSystem, 17));
    table.run(CommandKind::kSystem, 17, numbers({0}));
    table.run(CommandKind::kSystem, 17, numbers({12, 3}));
    EXPECT_EQ(commands.engine().state().triggerMode, 3);
    EXPECT_EQ(commands.engine().state().width, 40);
    table.run(CommandKind::kSystem, 17, numbers({17}));
    EXPECT_EQ(f.result(), 0);
    // Operations without a meaning do nothing.
    f.memory.setReg16(reg16::kResult, 1234);
    table.run(CommandKind::kSystem, 17, numbers({18, 1, 2, 3}));
    table.run(CommandKind::kSystem, 17, numbers({0xFFFFFFFF}));
    EXPECT_EQ(f.result(), 1234);
}

} // namespace
} // namespace fer::test

// The characters' movement: codes, walls and corners, solid characters,
// the trail, player control from keys and pointer, triggers and the view.

#include <gtest/gtest.h>

#include "MapTestSupport.h"
#include "map/MapMessages.h"

namespace fer::test {
namespace {

using mapgen::MapLayout;
using mapgen::ObjectRecord;

constexpr uint8_t kWalker = 0x19; // visible, stopped by objects and walls
constexpr uint8_t kPlayer = 0x79; // ... followed by the view, tracked

// An object with one program, placed at (x, y).
ObjectRecord walker(uint16_t x, uint16_t y, uint8_t program, uint8_t flags = kWalker) {
    return {.flags = flags, .sprite = 0, .x = x, .y = y, .program = program};
}

TEST(MapCodes, CodeHighNibbleIsTheTypeAndLowNibbleCountsStepsLessOne) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.programs = {{0x32, 0x9F, 0x00}, {0x23, 0x9F, 0x00}};
    m.objects = {walker(5, 5, 0), walker(10, 10, 1)};
    f.load(m);
    f.op(0);
    f.op(4);
    // 0x32: down, three steps; 0x23: up, four steps.
    for (int step = 1; step <= 4; ++step) {
        f.op(9);
        EXPECT_EQ(f.position(0), (std::pair{5, 5 + std::min(step, 3)})) << step;
        EXPECT_EQ(f.position(1), (std::pair{10, 10 - step})) << step;
    }
    EXPECT_EQ(f.object(0).facing(), 1);
    EXPECT_EQ(f.object(1).facing(), 0);
}

TEST(MapCodes, WallBlockedObjectReportsZeroAndKeepsItsCount) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.programs = {{0x24, 0x00}};
    m.objects = {walker(5, 5, 0, kWalker | 0x40)};
    // Walls cover the whole row the feet enter, so no sideways slide helps.
    for (int x = 0; x < 20; ++x) m.wall(x, 5);
    f.load(m);
    f.op(0);
    f.op(4);
    const uint8_t count = f.object(0).count();
    EXPECT_EQ(count, 5);
    for (int i = 0; i < 3; ++i) {
        f.op(9);
        EXPECT_EQ(f.result(), 0);
        EXPECT_EQ(f.object(0).count(), count);
        EXPECT_EQ(f.position(0), (std::pair{5, 5}));
    }
    // Op 8 reports the block as 0xFFFF and draws nothing.
    const int presents = f.host.presents;
    f.op(8);
    EXPECT_EQ(f.result(), 0xFFFF);
    EXPECT_EQ(f.host.presents, presents);
}

TEST(MapCodes, TurnPoseAndWaitLastOneStepAndTheProgramStartsAgain) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.programs = {{0x13, 0x8D, 0x91, 0x50, 0x00}};
    m.objects = {walker(5, 5, 0)};
    f.load(m);
    f.op(0);
    f.op(4);
    f.op(9);
    EXPECT_EQ(f.object(0).pose(), 3 << 2); // turn to facing 3
    f.op(9);
    EXPECT_EQ(f.object(0).pose(), 0x0D); // pose 13
    f.op(9);
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{5, 5})); // two steps of waiting
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{6, 5})); // one step right
    f.op(9);                                     // the end: the turn again
    EXPECT_EQ(f.object(0).pose() >> 2, 3);
    EXPECT_EQ(f.position(0), (std::pair{6, 5}));
}

TEST(MapCodes, StartProgramsAndStartProgramTakeTheirOwnPc) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.programs = {{0x9F, 0x00}, {0x31, 0x51, 0x00}};
    m.objects = {walker(5, 5, 1)};
    f.load(m);
    f.op(0);
    f.op(4);
    const uint32_t entry = f.encoded.programs[1];
    ASSERT_LT(entry, 256u);
    EXPECT_EQ(f.object(0).pc(), entry + 1);
    EXPECT_EQ(f.object(0).type(), 3);
    EXPECT_EQ(f.object(0).count(), 2);
    f.op(5, 0, 1);
    EXPECT_EQ(f.object(0).pc(), entry); // not advanced: the first code runs once more
    // Down twice, then (the first code again) down twice, then right.
    for (int i = 0; i < 5; ++i) f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{6, 9}));
}

TEST(MapCodes, RandomAndReservedCodesAreFatal) {
    for (uint8_t code : {0x70, 0xA0, 0xB0, 0xC0}) {
        MapFixture f;
        MapLayout m = openMap(20, 20);
        m.programs = {{code, 0x00}};
        m.objects = {walker(5, 5, 0)};
        f.load(m);
        f.op(0);
        f.op(4);
        f.op(8);
        ASSERT_EQ(f.host.errors.size(), 1u) << int(code);
        EXPECT_EQ(f.host.errors[0].first, map_message::kMoveErrorTitle);
        EXPECT_EQ(f.host.errors[0].second,
                  code == 0x70 ? map_message::kRandomMoveMissing : map_message::kReservedCode);
    }
}

TEST(MapMoves, SolidObjectsBlockWithTheirIndexAndStandOneRowOverlapped) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.programs = {{0x9F, 0x00}};
    m.objects = {walker(0, 0, 0, 0x03), walker(2, 0, 0, 0x03), walker(5, 5, 0),
                 walker(5, 9, 0, 0x03)};
    f.load(m);
    f.op(0);
    // Down: the solid one's top row is 9; the mover stops with its bottom row on it.
    for (int i = 0; i < 3; ++i) f.op(14, 2, 1);
    EXPECT_EQ(f.position(2), (std::pair{5, 8}));
    f.op(14, 2, 1);
    EXPECT_EQ(f.position(2), (std::pair{5, 8}));
    EXPECT_EQ(f.engine.state().trail.before(1), (TrailEntry{5, 8, 4 | 3}));
    // A step blocked by object 3 reports 3 in the high byte.
    MapFixture g;
    m.programs = {{0x30, 0x00}};
    m.objects = {walker(0, 0, 1, 0x03), walker(5, 7, 0, kWalker | 0x40), walker(9, 9, 1, 0x03),
                 walker(6, 8, 1, 0x03)};
    m.programs.push_back({0x9F, 0x00});
    g.load(m);
    g.op(0);
    g.op(4);
    g.op(9);
    EXPECT_EQ(g.result(), 3 << 8);
    EXPECT_EQ(g.position(1), (std::pair{5, 7}));
    // Side by side: no overlap across the motion, no block.
    g.op(14, 1, 2);
    EXPECT_EQ(g.position(1), (std::pair{4, 7}));
}

// A walker stops against a solid object on its left exactly as it does on
// its right: touching it, neither a cell short nor overlapping it.
TEST(MapMoves, SolidObjectsStopWalkersTouchingOnTheLeftAsOnTheRight) {
    auto stopAt = [](uint16_t blockerX, int direction) {
        MapFixture f;
        MapLayout m = openMap(30, 20);
        m.programs = {{0x9F, 0x00}};
        m.objects = {walker(12, 5, 0), walker(blockerX, 5, 0, 0x03)};
        f.load(m);
        f.op(0);
        for (int i = 0; i < 12; ++i) f.op(14, 0, direction);
        return f.position(0).first;
    };
    const int left = stopAt(2, 2), right = stopAt(22, 3);
    const int width = 22 - right;
    EXPECT_GT(width, 0);
    EXPECT_EQ(left - 2, width) << "stopped at " << left << " against an object at 2";
}

TEST(MapMoves, BoundsStopAtEveryEdge) {
    MapFixture f;
    MapLayout m = openMap(10, 8);
    m.objects = {walker(0, 0, 0)};
    f.load(m);
    f.op(0);
    f.op(14, 0, 0);
    f.op(14, 0, 2);
    EXPECT_EQ(f.position(0), (std::pair{0, 0}));
    for (int i = 0; i < 20; ++i) {
        f.op(14, 0, 1);
        f.op(14, 0, 3);
    }
    EXPECT_EQ(f.position(0), (std::pair{8, 6})); // a 2 x 2 character in a 10 x 8 map
    EXPECT_EQ(f.result(), 0);
}

// A walker that walls do not stop is kept inside the map by its edges alone.
TEST(MapMoves, BoundsStopAtEveryEdgeAWalkerThatWallsDoNotStop) {
    MapFixture f;
    MapLayout m = openMap(10, 8);
    m.objects = {walker(0, 0, 0, 0x09)}; // visible, stopped by objects only
    f.load(m);
    f.op(0);
    f.op(14, 0, 0);
    f.op(14, 0, 2);
    EXPECT_EQ(f.position(0), (std::pair{0, 0}));
    for (int i = 0; i < 20; ++i) {
        f.op(14, 0, 1);
        f.op(14, 0, 3);
    }
    EXPECT_EQ(f.position(0), (std::pair{8, 6}));
}

TEST(MapMoves, CornerSlidingGoesRoundOneWallCell) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.wall(10, 6); // in the feet row (y + 1) of a character at y = 5, going right from x = 8
    m.wall(5, 9);  // below the left cell of the feet of a character at x = 5, y = 7
    m.objects = {walker(8, 5, 0), walker(5, 7, 0)};
    f.load(m);
    f.op(0);
    f.op(14, 0, 3);
    EXPECT_EQ(f.position(0), (std::pair{8, 4})); // slid up: first up, then down
    EXPECT_EQ(f.object(0).facing(), 3);
    f.op(14, 0, 3);
    EXPECT_EQ(f.position(0), (std::pair{9, 4}));
    f.op(14, 1, 1);
    EXPECT_EQ(f.position(1), (std::pair{6, 7})); // slid right: first right, then left
    // Without the wall flag walls mean nothing.
    f.object(1).setFlags(0x09);
    f.op(14, 1, 2);
    f.op(14, 1, 1);
    EXPECT_EQ(f.position(1), (std::pair{5, 8}));
}

TEST(MapMoves, DiagonalGoesUpThenLeftWithoutSlidingOnTheFirstHalf) {
    MapFixture f;
    MapLayout m = openMap(20, 20);
    m.programs = {{0xEF, 0x00}};
    m.wall(5, 5); // blocks the up half; sliding right would be free
    m.objects = {walker(5, 5, 0, kPlayer)};
    f.load(m);
    f.op(0);
    f.op(4);
    f.host.keys = {key::kUp, key::kLeft};
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{4, 5})); // no slide up-right; left done
    EXPECT_EQ(f.engine.state().trail.before(1), (TrailEntry{4, 5, (2 << 2) | 1}));
    f.object(0).setX(8);
    f.object(0).setY(8);
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{7, 7})); // both halves in one step, one trail entry
    EXPECT_EQ(f.engine.state().trail.before(1), (TrailEntry{7, 7, (2 << 2) | 3}));
    EXPECT_EQ(f.engine.state().trail.before(2), (TrailEntry{4, 5, (2 << 2) | 1}));
    // The lone up key slides round the same wall.
    f.object(0).setX(5);
    f.object(0).setY(5);
    f.host.keys = {key::kUp};
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{6, 5}));
}

TEST(MapMoves, FollowCodeTakesTheTrailEntryTwoNPlusOneBack) {
    MapFixture f;
    MapLayout m = openMap(30, 30);
    m.programs = {{0xEF, 0x00}, {0x61, 0x00}};
    m.objects = {walker(5, 5, 0, kPlayer), walker(5, 2, 1, 0x01)};
    m.placements = {{0, 0, 5, 5}};
    f.load(m);
    f.op(0);
    f.op(1, 0, 0, 1);
    f.op(4);
    f.host.keys = {key::kRight};
    for (int i = 0; i < 5; ++i) f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{10, 5}));
    EXPECT_EQ(f.position(1), (std::pair{8, 5})); // three entries back: two moves behind
    EXPECT_EQ(f.object(1).pose(), f.engine.state().trail.before(3).pose);
    // Op 20 puts object 1 b steps behind the leader.
    f.op(20, 1, 4);
    EXPECT_EQ(f.position(1), (std::pair{6, 5}));
}

TEST(MapPlayer, KeysMoveAndCancelReportsFFFE) {
    MapFixture f;
    MapLayout m = openMap(30, 30);
    m.programs = {{0xE2, 0x00}};
    m.objects = {walker(5, 5, 0, kPlayer)};
    f.load(m);
    f.op(0);
    f.op(4);
    f.host.keys = {key::kDown};
    f.op(9);
    EXPECT_EQ(f.result(), 0xFFFF);
    EXPECT_EQ(f.position(0), (std::pair{5, 6}));
    f.host.keys = {key::kCancel, key::kDown};
    f.op(9);
    EXPECT_EQ(f.result(), 0xFFFE);
    EXPECT_EQ(f.position(0), (std::pair{5, 6}));
    EXPECT_EQ(f.object(0).count(), 2);       // the cancel used no step
    f.host.keys = {key::kLeft, key::kRight}; // cancel out: nothing moves
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{5, 6}));
}

TEST(MapPlayer, HeldDecideSteersByThePointerAgainstTheCharactersRectangle) {
    MapFixture f;
    MapLayout m = openMap(40, 25);
    m.programs = {{0xEF, 0x00}};
    m.objects = {walker(10, 10, 0, kPlayer)};
    f.load(m);
    f.op(0);
    f.op(4);
    f.host.keys = {key::kAny};
    struct Case {
        int px, py;
        std::pair<int, int> to;
    };
    // The rectangle is (160, 160) to (192, 192).
    const Case cases[] = {
        {170, 100, {10, 9}},  // above
        {170, 250, {10, 11}}, // below
        {100, 170, {9, 10}},  // left
        {250, 170, {11, 10}}, // right
        {100, 100, {9, 9}},   // up and left
        {170, 170, {10, 10}}, // inside: nothing
        {700, 100, {10, 10}}, // outside the view: nothing
    };
    for (const Case& c : cases) {
        f.object(0).setX(10);
        f.object(0).setY(10);
        f.host.pointerX = c.px;
        f.host.pointerY = c.py;
        f.op(9);
        EXPECT_EQ(f.position(0), c.to) << c.px << "," << c.py;
    }
    // Near the window's edge the rectangle's left and top count as 0.
    f.object(0).setX(1);
    f.object(0).setY(1);
    f.host.pointerX = 10;
    f.host.pointerY = 10;
    f.op(9);
    EXPECT_EQ(f.position(0), (std::pair{1, 1}));
}

TEST(MapView, FollowedCharacterScrollsInsideTheMarginsUpToTheMapEdge) {
    MapFixture f;
    MapLayout m = openMap(60, 40);
    m.objects = {walker(20, 12, 0, kPlayer)};
    f.load(m);
    f.op(0);
    const MapView& v = f.engine.state().view;
    // Right margin: the right column at screen column 30 or more scrolls.
    for (int i = 0; i < 8; ++i) f.op(14, 0, 3);
    EXPECT_EQ(f.position(0), (std::pair{28, 12}));
    EXPECT_EQ(v.originX, 0);
    f.op(14, 0, 3);
    EXPECT_EQ(v.originX, 1);
    EXPECT_EQ(f.engine.state().scrollDirection, 4);
    for (int i = 0; i < 40; ++i) f.op(14, 0, 3);
    EXPECT_EQ(v.originX, 20); // the map's right edge
    // Down: the bottom row at screen row 17 or more scrolls; from y 12 the
    // fourth step puts it on row 17, the margin's first.
    for (int i = 0; i < 4; ++i) f.op(14, 0, 1);
    EXPECT_EQ(v.originY, 1);
    for (int i = 0; i < 26; ++i) f.op(14, 0, 1);
    EXPECT_EQ(v.originY, 15);
    // Up and left come back inside the top and left margins.
    for (int i = 0; i < 60; ++i) {
        f.op(14, 0, 0);
        f.op(14, 0, 2);
    }
    EXPECT_EQ(v.originX, 0);
    EXPECT_EQ(v.originY, 0);
    EXPECT_EQ(f.engine.state().scrollDirection, 0); // at the edge nothing scrolls
}

TEST(MapTriggers, FireOnlyWhenFacingTheirDirectionAndByMode) {
    MapFixture f;
    MapLayout m = openMap(30, 30);
    m.objects = {walker(5, 5, 0, kPlayer)};
    // Footprint rows are y + 1: the character at y = 5 stands on row 6.
    m.triggers = {{.id = 9, .x1 = 5, .y1 = 5, .x2 = 6, .y2 = 5, .directions = 0x1}, // row y: never
                  {.id = 7, .x1 = 6, .y1 = 6, .x2 = 6, .y2 = 6, .directions = 0x1}, // facing up
                  {.id = 8, .x1 = 0, .y1 = 6, .x2 = 5, .y2 = 6, .directions = 0x8}};
    for (int x = 0; x < 30; ++x) m.wall(x, 5); // no way up
    f.load(m);
    f.op(0);
    f.op(13);
    EXPECT_EQ(f.result(), 0xFFFF); // mode 0: never armed
    f.op(12, 1);
    f.op(22, 0, 1); // facing down
    f.op(13);
    EXPECT_EQ(f.result(), 0xFFFF);
    f.op(22, 0, 0); // facing up
    f.op(13);
    EXPECT_EQ(f.result(), 7);
    f.op(13);
    EXPECT_EQ(f.result(), 0xFFFF); // mode 1: only a new id
    f.op(12, 3);
    f.op(13);
    EXPECT_EQ(f.result(), 7);
    f.op(13);
    EXPECT_EQ(f.result(), 7); // mode 3: every time
    f.op(12, 2);
    f.op(13);
    EXPECT_EQ(f.result(), 7);
    f.op(13);
    EXPECT_EQ(f.result(), 0xFFFF); // mode 2: disarmed ...
    f.object(0).setType(2);        // ... a step blocked by the wall leaves it so ...
    f.object(0).setCount(1);
    f.op(9);
    f.op(13);
    EXPECT_EQ(f.result(), 0xFFFF);
    f.object(0).setType(14); // ... and so does a cancelled one ...
    f.host.keys = {key::kCancel};
    f.op(9);
    f.host.keys.clear();
    f.op(13);
    EXPECT_EQ(f.result(), 0xFFFF);
    f.object(0).setProgram(0);
    f.op(5, 0, 0); // ... until a step that goes through: 0x9F waits
    f.op(9);
    f.op(13);
    EXPECT_EQ(f.result(), 7); // facing up since the blocked step
    f.object(0).setType(4);   // a completed move: left, facing 2
    f.object(0).setCount(1);
    f.op(9);
    f.op(22, 0, 3); // facing right: trigger 8 covers column 4
    f.op(13);
    EXPECT_EQ(f.result(), 8);
}

} // namespace
} // namespace fer::test

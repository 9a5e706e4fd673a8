// Computed paths on random mazes: a path never enters a blocked cell or
// leaves the map, ends at the goal, and exists exactly when the goal can be
// reached. The automatic walk follows it and ends cleanly.

#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "MapTestSupport.h"
#include "map/PathFinder.h"

namespace fer::test {
namespace {

using mapgen::MapLayout;

bool reachable(const std::vector<uint8_t>& free, int w, int h, int sx, int sy, int gx, int gy) {
    std::vector<uint8_t> seen(free.size(), 0);
    std::deque<std::pair<int, int>> q{{sx, sy}};
    seen[size_t(sy) * w + sx] = 1;
    while (!q.empty()) {
        auto [x, y] = q.front();
        q.pop_front();
        if (x == gx && y == gy) return true;
        const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& s : d) {
            const int nx = x + s[0], ny = y + s[1];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const size_t i = size_t(ny) * w + nx;
            if (free[i] && !seen[i]) {
                seen[i] = 1;
                q.push_back({nx, ny});
            }
        }
    }
    return false;
}

TEST(PathFinder, PathsStayOnFreeCellsAndFindEveryReachableGoal) {
    std::mt19937 gen(77);
    auto finder = std::make_unique<PathFinder>();
    int found = 0, none = 0;
    for (int round = 0; round < 400; ++round) {
        const int w = 1 + int(gen() % 128), h = 1 + int(gen() % 156);
        const int density = int(gen() % 45);
        std::vector<uint8_t> free(size_t(w) * h);
        finder->clear();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (int(gen() % 100) >= density) {
                    free[size_t(y) * w + x] = 1;
                    finder->setFree(x, y);
                }
        const int sx = int(gen() % w), sy = int(gen() % h), gx = int(gen() % w),
                  gy = int(gen() % h);
        free[size_t(sy) * w + sx] = 1; // the start counts as free
        const bool expected = (sx == gx && sy == gy) ||
                              (free[size_t(gy) * w + gx] && reachable(free, w, h, sx, sy, gx, gy));
        const bool ok = finder->compute(w, h, sx, sy, gx, gy);
        ASSERT_EQ(ok, expected) << "round " << round;
        if (!ok) {
            ++none;
            continue;
        }
        ++found;
        int x = sx, y = sy, steps = 0;
        while (steps <= w * h) {
            const uint8_t d = finder->direction(x, y);
            if (d == 0) break;
            ASSERT_TRUE(d == 1 || d == 2 || d == 4 || d == 8) << int(d);
            x += d == 4 ? 1 : d == 2 ? -1 : 0;
            y += d == 8 ? 1 : d == 1 ? -1 : 0;
            ASSERT_TRUE(x >= 0 && y >= 0 && x < w && y < h);
            ASSERT_TRUE(free[size_t(y) * w + x]) << "through a blocked cell";
            ++steps;
        }
        EXPECT_EQ(std::pair(x, y), std::pair(gx, gy));
        EXPECT_EQ(steps, finder->length());
    }
    EXPECT_GT(found, 50);
    EXPECT_GT(none, 20);
}

// With the walker as far away across as down, the search from the goal
// tries the vertical axis first: on an open map the path is a staircase
// whose first step from the walker is to the right.
TEST(PathFinder, EqualDistancesOnBothAxesTryTheVerticalAxisFirst) {
    auto finder = std::make_unique<PathFinder>();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) finder->setFree(x, y);
    ASSERT_TRUE(finder->compute(10, 10, 0, 0, 3, 3));
    const std::pair<int, int> cells[] = {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}};
    const uint8_t expected[] = {4, 8, 4, 8, 4, 8}; // right, down, ...
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(finder->direction(cells[i].first, cells[i].second), expected[i]) << i;
    EXPECT_EQ(finder->direction(3, 3), 0);
}

TEST(PathFinder, MapsLargerThanTheGridHaveNoPath) {
    PathFinder finder;
    finder.clear();
    EXPECT_FALSE(finder.compute(129, 10, 0, 0, 1, 0));
    EXPECT_FALSE(finder.compute(10, 157, 0, 0, 1, 0));
    EXPECT_FALSE(finder.compute(10, 10, 0, 0, 10, 0)); // goal outside the map
}

// A wall column between start and goal; the walk goes round it.
MapLayout columnMap() {
    MapLayout m = openMap(30, 30);
    for (int y = 3; y < 25; ++y) m.wall(10, y);
    m.programs = {{0xEF, 0x00}, {0x61, 0x00}};
    m.objects = {{.flags = 0x7B, .sprite = 0, .x = 4, .y = 10, .program = 0},
                 {.flags = 0x01, .sprite = 1, .x = 4, .y = 8, .program = 1}};
    m.placements = {{0, 0, 4, 10}};
    return m;
}

TEST(MapAutomaticWalk, WalksRoundTheObstacleToTheGoalAndGivesTheFlagsBack) {
    MapFixture f;
    f.load(columnMap());
    f.begin();
    f.op(15, 0, 16, 10);
    f.op(17);
    EXPECT_EQ(f.result(), 0xFFFF);
    EXPECT_EQ(f.object(0).flags(), 0x21);
    EXPECT_EQ(f.object(0).type(), 13);
    const int length = f.engine.walkers().path().length();
    EXPECT_GE(length, 12);
    f.op(5, 0, 2); // ignored during the walk
    EXPECT_EQ(f.object(0).program(), 0);
    for (int i = 0; i < length; ++i) {
        f.op(8);
        const MapCell c = MapData(f.memory).cell(f.object(0).x(), f.object(0).y() + 1, 30, 30);
        ASSERT_FALSE(c.wall()) << "step " << i;
    }
    EXPECT_EQ(f.position(0), (std::pair{16, 10}));
    f.op(17);
    EXPECT_EQ(f.result(), 0xFFFF); // the goal is seen on the next step
    f.op(8);
    f.op(17);
    EXPECT_EQ(f.result(), 0);
    EXPECT_EQ(f.object(0).flags(), 0x7B);
    EXPECT_EQ(f.object(0).type(), 14);
    // The follower kept to the trail: two moves behind.
    const TrailEntry e = f.engine.state().trail.before(3);
    EXPECT_EQ(f.position(1), (std::pair<int, int>{e.x, e.y}));
}

TEST(MapAutomaticWalk, NoWayAndOversizeMapsEndTheWalkCleanly) {
    {
        MapFixture f;
        MapLayout m = columnMap();
        for (int y = 0; y < 30; ++y) m.wall(10, y); // the column cuts the map in two
        f.load(m);
        f.begin();
        f.op(15, 0, 16, 10);
        f.op(17);
        EXPECT_EQ(f.result(), 0);
        EXPECT_EQ(f.object(0).flags(), 0x7B);
    }
    {
        MapFixture f;
        MapLayout m = columnMap();
        MapLayout big(130, 20, 0);
        big.programs = m.programs;
        big.objects = m.objects;
        big.placements = m.placements;
        big.sprites = m.sprites;
        f.load(big);
        f.begin();
        f.op(15, 0, 16, 10);
        f.op(17);
        EXPECT_EQ(f.result(), 0);
    }
}

TEST(MapAutomaticWalk, SkipMovementSpendsTwentyAndWalksTheRestAtOnce) {
    MapFixture f;
    f.load(columnMap());
    f.begin();
    f.op(15, 0, 16, 10);
    const int length = f.engine.walkers().path().length();
    ASSERT_GE(length, 25);
    f.op(21, 0);
    EXPECT_EQ(f.object(0).type(), 13); // the setting is off
    f.host.skip = true;
    f.op(21, 0);
    EXPECT_EQ(f.object(0).type(), 15);
    EXPECT_EQ(f.engine.state().stepBudget, length - 20);
    f.op(8); // all but the last twenty steps at once
    EXPECT_EQ(f.object(0).type(), 13);
    EXPECT_EQ(f.engine.state().stepBudget, 0);
    for (int i = 0; i < 20; ++i) f.op(8);
    EXPECT_EQ(f.position(0), (std::pair{16, 10}));
    f.op(8);
    f.op(17);
    EXPECT_EQ(f.result(), 0);
    // Op 16 ends a walk at once.
    f.op(15, 0, 4, 10);
    f.op(17);
    EXPECT_EQ(f.result(), 0xFFFF);
    f.op(16);
    f.op(17);
    EXPECT_EQ(f.result(), 0);
    EXPECT_EQ(f.object(0).flags(), 0x7B);
}

} // namespace
} // namespace fer::test

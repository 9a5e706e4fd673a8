// The animated cursor's turns, counted in ticks.

#include <gtest/gtest.h>

#include <vector>

#include "graphics/AnimatedCursor.h"

namespace fer {
namespace {

struct Shown {
    std::vector<std::pair<int, uint16_t>> images; // tick, image
    int tick = 0;
};

TEST(AnimatedCursor, FirstImageAtOnceSecondOnTheNextTickFirstAgain34TicksLater) {
    Shown shown;
    AnimatedCursor cursor([&](uint16_t n) { shown.images.push_back({shown.tick, n}); });
    EXPECT_FALSE(cursor.enabled());
    cursor.select(0);
    ASSERT_EQ(shown.images.size(), 1u);
    EXPECT_EQ(shown.images[0], (std::pair<int, uint16_t>{0, 131}));
    for (shown.tick = 1; shown.tick <= 1 + 34 * 3; ++shown.tick) cursor.tick();
    const std::vector<std::pair<int, uint16_t>> expected{
        {0, 131}, {1, 132}, {35, 131}, {69, 132}, {103, 131}};
    EXPECT_EQ(shown.images, expected);
    EXPECT_EQ(cursor.current(), 131);
}

TEST(AnimatedCursor, EachCursorHasItsPairAndANewOneStartsAfresh) {
    std::vector<uint16_t> shown;
    AnimatedCursor cursor([&](uint16_t n) { shown.push_back(n); });
    cursor.select(14);
    cursor.tick();
    EXPECT_EQ(shown, (std::vector<uint16_t>{159, 160}));
    cursor.tick(); // now waiting
    cursor.tick();
    shown.clear();
    cursor.select(3);
    cursor.tick();
    EXPECT_EQ(shown, (std::vector<uint16_t>{137, 138}));
    EXPECT_EQ(cursor.base(), 137);
}

TEST(AnimatedCursor, DisabledItKeepsItsImage) {
    std::vector<uint16_t> shown;
    AnimatedCursor cursor([&](uint16_t n) { shown.push_back(n); });
    for (int i = 0; i < 100; ++i) cursor.tick();
    EXPECT_TRUE(shown.empty()); // off after start-up
    cursor.select(1);
    cursor.tick();
    cursor.disable();
    for (int i = 0; i < 100; ++i) cursor.tick();
    EXPECT_EQ(shown, (std::vector<uint16_t>{133, 134}));
    EXPECT_EQ(cursor.current(), 134);
}

} // namespace
} // namespace fer

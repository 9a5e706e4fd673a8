#include <gtest/gtest.h>

#include "graphics/PaletteManager.h"

namespace fer::test {
namespace {

Palette flat(uint8_t v) {
    Palette p;
    p.fill({v, v, v, 0});
    return p;
}

// Ticks until the fade over entries 0..235 reports it had nothing to do;
// returns the number of ticks that changed something.
int ticksToFinish(PaletteManager& m) {
    int moving = 0;
    while (!m.fadeTick(0, 236)) {
        ++moving;
        if (moving > 1000) break;
    }
    return moving;
}

TEST(PaletteManager, FadeLengthFollowsTheSpeed) {
    for (int speed : {1, 2, 3, 7, 16, 100, 254}) {
        for (int d : {1, 2, 15, 16, 17, 100, 200, 255}) {
            PaletteManager m;
            m.writeTarget(flat(static_cast<uint8_t>(d)));
            m.computeSteps(static_cast<uint8_t>(speed));
            const int expected = (d + d / speed) / (d / speed + 1); // ceil(d / (d div s + 1))
            EXPECT_EQ(ticksToFinish(m), expected) << "speed " << speed << " distance " << d;
            EXPECT_EQ(m.current()[100], (PaletteEntry{uint8_t(d), uint8_t(d), uint8_t(d), 0}));
            // Back down to black the same way, ending on it exactly.
            m.writeTarget(flat(0));
            m.computeSteps(static_cast<uint8_t>(speed));
            EXPECT_EQ(ticksToFinish(m), expected) << "down, speed " << speed << " distance " << d;
            EXPECT_EQ(m.current()[100], (PaletteEntry{}));
        }
    }
}

TEST(PaletteManager, SpeedFFMovesOnePerTick) {
    PaletteManager m;
    m.writeTarget(flat(200));
    m.computeSteps(PaletteManager::kStepOne);
    for (int t = 1; t <= 200; ++t) {
        ASSERT_FALSE(m.fadeTick(0, 236)) << t;
        ASSERT_EQ(m.current()[0].red, t);
    }
    EXPECT_TRUE(m.fadeTick(0, 236)); // the fade ends one tick after the last change
    // Downwards too.
    m.writeTarget(flat(0));
    m.computeSteps(PaletteManager::kStepOne);
    EXPECT_EQ(ticksToFinish(m), 200);
}

TEST(PaletteManager, FadeEqualToTheCurrentColoursEndsOnItsFirstTick) {
    PaletteManager m;
    m.computeSteps(16);
    EXPECT_TRUE(m.fadeTick(0, 236));
    Palette ignored;
    EXPECT_FALSE(m.takeChange(ignored));
}

TEST(PaletteManager, EntriesFrom236NeverChange) {
    PaletteManager m;
    m.writeTarget(flat(255));
    m.applyRange(200, 100);
    m.computeSteps(1);
    m.fadeTick(0, 1000);
    m.startFade(230, 0xFFFFFFFF);
    while (m.fadeActive()) m.timerTick();
    const Palette now = m.current();
    EXPECT_EQ(now[235].red, 255);
    for (int i = 236; i < 256; ++i) ASSERT_EQ(now[i], (PaletteEntry{})) << i;
    for (int i = 236; i < 256; ++i) ASSERT_EQ(m.target()[i], (PaletteEntry{})) << i;
}

TEST(PaletteManager, OnlyTheFadeRangeMoves) {
    PaletteManager m;
    m.writeTarget(flat(90));
    m.computeSteps(16);
    m.startFade(16, 16);
    int ticks = 0;
    while (m.fadeActive() && ticks < 100) {
        m.timerTick();
        ++ticks;
    }
    // Steps of 90 / 16 + 1 = 6: 15 moving ticks, then one that ends the fade.
    EXPECT_EQ(ticks, 15 + 1);
    const Palette now = m.current();
    EXPECT_EQ(now[15].red, 0);
    EXPECT_EQ(now[16].red, 90);
    EXPECT_EQ(now[31].blue, 90);
    EXPECT_EQ(now[32].green, 0);
}

TEST(PaletteManager, TakeChangeReportsEachChangeOnce) {
    PaletteManager m;
    Palette seen;
    EXPECT_FALSE(m.takeChange(seen));
    m.writeTarget(flat(40));
    m.applyRange(0, 236);
    ASSERT_TRUE(m.takeChange(seen));
    EXPECT_EQ(seen[7].green, 40);
    EXPECT_FALSE(m.takeChange(seen));
}

} // namespace
} // namespace fer::test

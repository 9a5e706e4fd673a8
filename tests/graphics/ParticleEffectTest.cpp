// The falling particles: births, kinds and speeds, drawing in front of and
// behind the picture, restoring what they covered, and leaving.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "GraphicsTestSupport.h"
#include "graphics/ParticleEffects.h"

namespace fer::test {
namespace {

// Plane 1 (the clean picture) has stripes of low colours (things particles
// pass behind) and high ones; planes 0 and 2 show it; plane 3 holds the
// images: colour 200 with transparent corners.
void paintScene(PlaneSet& planes) {
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint8_t v = (x / 40) % 3 == 0 ? uint8_t(1 + (x + y) % 9)      // below 10
                              : (x / 40) % 3 == 1 ? uint8_t(20 + (x * 7 + y) % 80) // 20..99
                                                  : uint8_t(120 + (x + 3 * y) % 100);
            planes[0].set(x, y, v);
            planes[1].set(x, y, v);
            planes[2].set(x, y, v);
        }
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool corner = (x % 8 == 0 && y % 8 == 0);
            planes[3].set(x, y, corner ? 0 : 200);
        }
}

// Every pixel outside the particles' drawn squares shows the clean picture.
void expectCleanOutsideParticles(const PlaneSet& planes, const ParticleEffect& e, int tick) {
    const int n = e.style().size;
    auto covered = [&](int x, int y) {
        for (const auto& p : e.particles())
            if (p.active && p.drawn && x >= p.drawnX && x < p.drawnX + n && y >= p.drawnY &&
                y < p.drawnY + n)
                return true;
        return false;
    };
    int wrong = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) {
            if (planes[0].at(x, y) == planes[1].at(x, y) && planes[2].at(x, y) == planes[1].at(x, y))
                continue;
            if (!covered(x, y)) ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "on tick " << tick;
}

TEST(ParticleEffect, BirthsComeEvery32TicksInTheFirstFreeSlotAndStartAboveThePicture) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    ParticleEffect a(planes, ParticleEffects::flakes());
    a.start(12345);
    for (int t = 0; t < 32; ++t) a.tick(t);
    EXPECT_EQ(a.live(), 0u);
    a.tick(32);
    ASSERT_EQ(a.live(), 1u);
    EXPECT_TRUE(a.particles()[0].active);
    EXPECT_EQ(a.particles()[0].drawnY, -7);
    for (int t = 33; t < 33 + 32 * 5; ++t) a.tick(t);
    EXPECT_EQ(a.live(), 6u);
    // Start columns depend only on the slot, inside the picture.
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_GE(a.particles()[i].x, 0);
        EXPECT_LE(a.particles()[i].x, 632);
    }
    EXPECT_NE(a.particles()[0].x, a.particles()[1].x);
}

TEST(ParticleEffect, KindsSpeedsAndFrontFollowTheRules) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    ParticleStyle style = ParticleEffects::flakes();
    style.birthEvery = 1;
    ParticleEffect a(planes, style);
    a.start(777);
    for (int t = 0; t < 200; ++t) a.tick(t);
    std::set<int> speeds;
    int front = 0, back = 0;
    for (const auto& p : a.particles()) {
        if (!p.active) continue;
        speeds.insert(p.speed);
        if (p.front) {
            ++front;
            EXPECT_NE(p.kind, 0);
        } else {
            ++back;
            EXPECT_NE(p.kind, 2);
        }
        EXPECT_TRUE(p.speed == 8 || p.speed == 16 || p.speed == 32);
        if (p.kind == 0) {
            EXPECT_EQ(p.speed, 8);
        }
        if (p.kind == 2) {
            EXPECT_EQ(p.speed, 32);
        }
    }
    EXPECT_EQ(speeds.size(), 3u);
    EXPECT_GT(front, 20);
    EXPECT_GT(back, 20);
}

TEST(ParticleEffect, SpeedsMoveOnTwoOfThreeOneOfTwoAndOneOfThreeTicks) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    ParticleStyle style = ParticleEffects::flakes();
    style.birthEvery = 1;
    style.capacity = 60;
    ParticleEffect a(planes, style);
    a.start(99);
    for (int t = 0; t < 30; ++t) a.tick(static_cast<uint32_t>(t));
    std::vector<int> y0;
    for (const auto& p : a.particles()) y0.push_back(p.active ? p.y : -1000);
    // 60 ticks: whole periods of every speed, whatever the phase.
    for (int t = 30; t < 90; ++t) a.tick(static_cast<uint32_t>(t));
    std::set<int> seen;
    for (size_t i = 0; i < y0.size(); ++i) {
        if (y0[i] == -1000) continue;
        const auto& p = a.particles()[i];
        const int expected = p.speed == 8 ? 40 : p.speed == 16 ? 30 : 20;
        EXPECT_EQ(p.y - y0[i], expected) << "speed " << int(p.speed);
        seen.insert(p.speed);
    }
    EXPECT_EQ(seen.size(), 3u);
}

// From its birth a particle falls on a fixed pattern of its speed: 8 moves
// on two ticks of three, 16 on every other tick, 32 on one tick of three,
// each starting with a move on the tick of its birth.
TEST(ParticleEffect, NewParticlesStartTheirSpeedsPatternAtTheBeginning) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    ParticleStyle style = ParticleEffects::flakes();
    style.birthEvery = 1;
    style.capacity = 40;
    ParticleEffect e(planes, style);
    e.start(7);
    const size_t n = e.particles().size();
    std::vector<int> bornAt(n, -1);
    std::vector<std::vector<int>> ys(n);
    std::vector<bool> wasActive(n, false);
    for (int t = 0; t < 60; ++t) {
        e.tick(static_cast<uint32_t>(t));
        for (size_t i = 0; i < n; ++i) {
            const auto& p = e.particles()[i];
            if (p.active && !wasActive[i] && bornAt[i] < 0) bornAt[i] = t;
            if (bornAt[i] >= 0 && ys[i].size() < 6) ys[i].push_back(p.y);
            wasActive[i] = p.active;
        }
    }
    const std::map<int, std::vector<int>> moves = {
        {8, {1, 1, 0, 1, 1, 0}}, {16, {1, 0, 1, 0, 1, 0}}, {32, {1, 0, 0, 1, 0, 0}}};
    std::set<int> seen;
    for (size_t i = 0; i < n; ++i) {
        if (ys[i].size() < 6) continue;
        const auto& p = e.particles()[i];
        std::vector<int> got;
        int before = 1 - style.size;
        for (int y : ys[i]) {
            got.push_back(y - before);
            before = y;
        }
        EXPECT_EQ(got, moves.at(p.speed)) << "speed " << int(p.speed);
        seen.insert(p.speed);
    }
    EXPECT_EQ(seen.size(), 3u);
}

// On a screen of one colour, different from the clean picture: where it is
// at or below the restore limit, a particle that could not draw there leaves
// it as it is; particles in front draw from colour 10 on, the others (those
// in front silenced) from 110 on.
TEST(ParticleEffect, DrawingStartsAtItsBoundsAndTheRestoreLimitKeepsItsColour) {
    struct Row {
        uint8_t colour;
        int frontFrom, backFrom; // -1: the effect's own
        bool drawn;
    };
    for (const Row row : {Row{109, 110, 110, false}, Row{10, -1, -1, true}, Row{110, 255, -1, true}}) {
        SCOPED_TRACE(int(row.colour));
        PlaneSet planes;
        ASSERT_TRUE(planes.allocate());
        paintScene(planes);
        ParticleStyle style = ParticleEffects::flakes();
        style.birthEvery = 1;
        if (row.frontFrom >= 0) style.frontFrom = static_cast<uint8_t>(row.frontFrom);
        if (row.backFrom >= 0) style.backFrom = static_cast<uint8_t>(row.backFrom);
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 640; ++x) {
                planes[0].set(x, y, row.colour);
                planes[1].set(x, y, 50);
            }
        ParticleEffect e(planes, style);
        e.start(11);
        for (int t = 0; t < 300; ++t) e.tick(static_cast<uint32_t>(t));
        int changed = 0, images = 0; // (colour 200: the image)
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 640; ++x) {
                changed += planes[0].at(x, y) != row.colour;
                images += planes[0].at(x, y) == 200;
            }
        EXPECT_EQ(images > 0, row.drawn);
        if (!row.drawn) {
            EXPECT_EQ(changed, 0);
        }
    }
}

TEST(ParticleEffect, ParticlesRestoreThePictureBehindThemAndLeaveBelowRow400) {
    for (bool petals : {false, true}) {
        SCOPED_TRACE(petals ? "effect B" : "effect A");
        PlaneSet planes;
        ASSERT_TRUE(planes.allocate());
        paintScene(planes);
        ParticleStyle style = petals ? ParticleEffects::petals() : ParticleEffects::flakes();
        style.birthEvery = 3;
        ParticleEffect e(planes, style);
        e.start(4242);
        size_t most = 0;
        bool drewInFront = false, keptBehind = false;
        for (int t = 0; t < 1500; ++t) {
            e.tick(static_cast<uint32_t>(t));
            most = std::max(most, e.live());
            if (t % 97 == 0) expectCleanOutsideParticles(planes, e, t);
            for (const auto& p : e.particles()) {
                if (!p.active || p.drawnY < 0 || p.drawnY > 380) continue;
                const int x = p.drawnX + 1, y = p.drawnY + 1;
                const uint8_t under = planes[1].at(x, y);
                if (under >= 10 && under < 110 && !petals) {
                    if (p.front && planes[0].at(x, y) == 200) drewInFront = true;
                    if (!p.front && planes[0].at(x, y) == under) keptBehind = true;
                }
            }
        }
        EXPECT_LE(most, style.capacity);
        if (!petals) {
            EXPECT_TRUE(drewInFront);
            EXPECT_TRUE(keptBehind);
        }
        // Every particle leaves after passing row 400: none older than the fall takes.
        for (const auto& p : e.particles()) {
            if (p.active) {
                EXPECT_LE(p.y, 400);
            }
        }
        expectCleanOutsideParticles(planes, e, 1500);
    }
}

TEST(ParticleEffect, WhenTheLastParticleHasLeftThePlanesEqualTheCleanPicture) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    paintScene(planes);
    ParticleStyle style = ParticleEffects::flakes();
    style.capacity = 1;
    style.birthEvery = 1;
    style.xFirst = 100; // over colours 120 and up: drawn in front or behind
    ParticleEffect a(planes, style);
    a.start(5);
    a.tick(0);
    a.tick(1);
    ASSERT_EQ(a.live(), 1u);
    int shown = 0;
    for (int t = 2; t < 5000 && a.live() == 1; ++t) {
        a.tick(static_cast<uint32_t>(t));
        if (planes[0].at(102, std::clamp(a.particles()[0].drawnY + 2, 0, 399)) == 200 &&
            planes[2].at(102, std::clamp(a.particles()[0].drawnY + 2, 0, 399)) == 200)
            ++shown;
    }
    EXPECT_GT(shown, 300);
    ASSERT_EQ(a.live(), 0u);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) {
            ASSERT_EQ(planes[0].at(x, y), planes[1].at(x, y)) << x << "," << y;
            ASSERT_EQ(planes[2].at(x, y), planes[1].at(x, y)) << x << "," << y;
        }
}

TEST(ParticleEffect, ParticlesAtThePlanesEdgesDrawOnlyInside) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    paintScene(planes);
    fillPlane(planes[4], 77);
    // Start columns that reach past the right edge.
    ParticleStyle style = ParticleEffects::petals();
    style.xSpan = 700;
    style.xStep = 631;
    style.xFirst = 630;
    style.birthEvery = 1;
    const std::vector<uint8_t> clean(planes[1].pixels(), planes[1].pixels() + planes[1].size());
    ParticleEffect b(planes, style);
    b.start(1);
    // Every image pixel of a particle that lands inside the planes is drawn
    // (its mark set), up to the last column and row, and none outside.
    const int n = style.size;
    int cut = 0;
    for (int t = 0; t < 800; ++t) {
        b.tick(static_cast<uint32_t>(t));
        for (const ParticleEffect::Particle& p : b.particles()) {
            if (!p.drawn) continue;
            if (p.drawnX + n > PlaneSet::kWidth || p.drawnY < 0) ++cut;
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < n; ++c) {
                    const bool inside = planes[0].contains(p.drawnX + c, p.drawnY + r);
                    const bool image = planes[3].at(n * p.kind + c, style.imageTop + r) != 0;
                    ASSERT_EQ(p.marks[static_cast<size_t>(r * ParticleEffect::kMaxSize + c)],
                              inside && image ? 1 : 0)
                        << "tick " << t << " at " << p.drawnX + c << "," << p.drawnY + r;
                }
        }
    }
    EXPECT_GT(cut, 100);
    for (size_t i = 0; i < planes[4].size(); ++i) ASSERT_EQ(planes[4].pixels()[i], 77);
    // Plane 1 is only read.
    EXPECT_TRUE(std::equal(clean.begin(), clean.end(), planes[1].pixels()));
    // Without planes nothing is drawn and nothing fails.
    PlaneSet none;
    ParticleEffect e(none, ParticleEffects::flakes());
    e.start(3);
    for (int t = 0; t < 100; ++t) e.tick(static_cast<uint32_t>(t));
}

TEST(ParticleEffects, ExternalCommandsStartStopAndResumeAndEachTickPresentsThePicture) {
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    FakeGraphicsHost host;
    uint32_t seeds = 0;
    ParticleEffects effects(planes, host, [&] { return ++seeds; });
    CommandTable table;
    effects.registerWith(table);
    for (uint32_t n : {92u, 93u, 118u, 119u, 124u, 125u})
        EXPECT_TRUE(table.has(CommandKind::kExternal, n)) << n;
    effects.tick(0);
    EXPECT_TRUE(host.presents.empty());
    table.run(CommandKind::kExternal, 92, numbers({92}));
    EXPECT_EQ(seeds, 1u);
    for (uint32_t t = 0; t < 40; ++t) effects.tick(t);
    EXPECT_EQ(host.presents.size(), 40u);
    EXPECT_EQ(host.presents.back(), (FakeGraphicsHost::Present{0, 0, 640, 400}));
    ASSERT_EQ(effects.a().live(), 1u);
    const int y = effects.a().particles()[0].y;
    table.run(CommandKind::kExternal, 93, numbers({93}));
    for (uint32_t t = 40; t < 80; ++t) effects.tick(t);
    EXPECT_EQ(effects.a().particles()[0].y, y); // stopped where it was
    EXPECT_EQ(host.presents.size(), 40u);
    table.run(CommandKind::kExternal, 125, numbers({125}));
    for (uint32_t t = 80; t < 83; ++t) effects.tick(t);
    EXPECT_GT(effects.a().particles()[0].y, y);
    table.run(CommandKind::kExternal, 124, numbers({124}));
    EXPECT_FALSE(effects.a().running());
    table.run(CommandKind::kExternal, 118, numbers({118}));
    EXPECT_TRUE(effects.b().running());
    for (uint32_t t = 0; t < 17; ++t) effects.tick(t);
    EXPECT_EQ(effects.b().live(), 1u);
    table.run(CommandKind::kExternal, 119, numbers({119}));
    EXPECT_FALSE(effects.b().running());
    // Starting again clears the particles.
    table.run(CommandKind::kExternal, 92, numbers({92}));
    EXPECT_EQ(effects.a().live(), 0u);
    EXPECT_EQ(seeds, 3u);
}

TEST(ParticleEffects, TheSeedIsTheSumOfTheLocalDateAndTimeFields) {
    const uint32_t s = localTimeSeed();
    EXPECT_GT(s, 1970u);
    EXPECT_LT(s, 9999u + 12 + 6 + 31 + 23 + 59 + 60 + 999);
}

} // namespace
} // namespace fer::test

#include <gtest/gtest.h>

#include "shell/KeyState.h"

namespace fer {
namespace {

TEST(KeyState, SharedBitsAreReleasedByEitherInput) {
    KeyState k;
    k.keyPressed(38);  // up arrow
    k.keyPressed(104); // keypad 8
    EXPECT_TRUE(k.query(2));
    k.keyReleased(104);
    EXPECT_FALSE(k.query(2)); // the arrow is still held, but the bit is shared

    k.keyPressed(13); // Enter
    k.keyPressed(0x201);
    EXPECT_TRUE(k.query(0));
    k.keyReleased(0x202); // the click ends while Enter stays down
    EXPECT_FALSE(k.query(0));
}

TEST(KeyState, ATapBetweenTwoQuestionsCountsOnce) {
    KeyState k;
    k.keyPressed(13);
    k.keyReleased(13);
    EXPECT_EQ(k.word(), 0);
    EXPECT_TRUE(k.peek(0)); // peeking leaves it
    EXPECT_TRUE(k.query(0));
    EXPECT_FALSE(k.query(0)); // taken by the first question
    EXPECT_FALSE(k.query(8));

    // Each bit keeps its own press: asking about one leaves the others.
    k.keyPressed(38);
    k.keyReleased(38);
    k.keyPressed(27);
    k.keyReleased(27);
    EXPECT_TRUE(k.query(1));
    EXPECT_TRUE(k.query(2));
    EXPECT_FALSE(k.query(1));

    // Clearing the keys drops a press nobody asked about.
    k.keyPressed(0x201);
    k.keyReleased(0x202);
    k.clear();
    EXPECT_FALSE(k.query(0));
}

TEST(KeyState, HoldingAnswersAsLongAsHeldAndNoLonger) {
    KeyState k;
    k.keyPressed(32);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(k.query(0));
    k.keyReleased(32);
    EXPECT_FALSE(k.query(0)); // the press was asked about while held
    // A press asked about while held, released, then pressed again, counts again.
    k.keyPressed(32);
    k.keyReleased(32);
    EXPECT_TRUE(k.query(0));
}

TEST(KeyState, QueriesAndUnknownCodes) {
    KeyState k;
    const struct {
        int code;
        int query;
    } cases[] = {{38, 2}, {40, 3}, {98, 3}, {37, 4},    {100, 4}, {39, 5},   {102, 5},
                 {17, 7}, {13, 0}, {32, 0}, {0x201, 0}, {27, 1},  {0x204, 1}};
    for (const auto& c : cases) {
        k.clear();
        k.keyPressed(c.code);
        EXPECT_TRUE(k.query(c.query)) << c.code;
        EXPECT_EQ(k.query(0), k.query(8));
    }
    k.clear();
    k.keyPressed(65); // 'A' changes nothing
    k.keyPressed(16); // Shift is not in the word
    EXPECT_EQ(k.word(), 0);
    EXPECT_FALSE(k.query(6));
    EXPECT_FALSE(k.query(9));
}

TEST(KeyState, ClearWhileAButtonIsHeld) {
    KeyState k;
    k.keyPressed(0x201);
    k.clear();
    EXPECT_FALSE(k.query(0));
    k.keyReleased(0x202);
    k.keyPressed(0x201);
    EXPECT_TRUE(k.query(0));
}

} // namespace
} // namespace fer

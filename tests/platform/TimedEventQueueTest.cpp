// Scripted input and the quit timer for the real window.

#include <gtest/gtest.h>

#include "platform/TimedEventQueue.h"

namespace fer {
namespace {

TimedEvent key(uint64_t at, int code) {
    TimedEvent t;
    t.at = at;
    t.event.type = PlatformEvent::Type::kKeyDown;
    t.event.code = code;
    return t;
}

TEST(TimedEventQueue, NothingBeforeTheStartThenEventsWhenDue) {
    TimedEventQueue q({key(0, 13), key(100, 27)}, std::nullopt);
    PlatformEvent e;
    EXPECT_FALSE(q.next(5000, e)); // not started
    q.start(1000);
    ASSERT_TRUE(q.next(1000, e));
    EXPECT_EQ(e.code, 13);
    EXPECT_FALSE(q.next(1099, e));
    ASSERT_TRUE(q.next(1100, e));
    EXPECT_EQ(e.code, 27);
    EXPECT_TRUE(q.finished());
    EXPECT_FALSE(q.next(99999, e));
}

TEST(TimedEventQueue, QuitTimerClosesOnceAtItsDeadline) {
    TimedEventQueue q({key(10, 13), key(50, 32)}, 20);
    q.start(0);
    PlatformEvent e;
    // Late: both the first key and the timer are due; the deadline comes first.
    ASSERT_TRUE(q.next(60, e));
    EXPECT_EQ(e.type, PlatformEvent::Type::kClose);
    EXPECT_TRUE(q.quitting());
    ASSERT_TRUE(q.next(60, e)); // the keys still come after it
    EXPECT_EQ(e.code, 13);
    ASSERT_TRUE(q.next(60, e));
    EXPECT_EQ(e.code, 32);
    EXPECT_FALSE(q.next(1000, e));
    EXPECT_TRUE(q.finished());
}

TEST(TimedEventQueue, ClockGoingBackwardsIsNotAnUnderflow) {
    TimedEventQueue q({key(5, 13)}, 10);
    q.start(1000);
    PlatformEvent e;
    EXPECT_FALSE(q.next(10, e)); // before the start: elapsed 0
    EXPECT_FALSE(q.quitting());
}

} // namespace
} // namespace fer

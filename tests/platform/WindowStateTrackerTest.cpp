// The window's size state between the engine and a window system that
// reports later: echoes of the engine's own requests start no new switch.

#include <gtest/gtest.h>

#include "platform/sdl/WindowStateTracker.h"

namespace fer {
namespace {

TEST(WindowStateTracker, ThePlayersChangesAreReportedOnce) {
    WindowStateTracker t;
    EXPECT_EQ(t.reported(WindowSize::kMaximised), WindowSize::kMaximised);
    EXPECT_EQ(t.reported(WindowSize::kMaximised), std::nullopt);
    EXPECT_EQ(t.reported(WindowSize::kRestored), WindowSize::kRestored);
    EXPECT_EQ(t.reported(WindowSize::kMinimised), WindowSize::kMinimised);
    EXPECT_EQ(t.reported(WindowSize::kRestored), WindowSize::kRestored);
}

TEST(WindowStateTracker, OnlyTheLastRequestOfASwitchIsCarriedOutAndItsEchoIsQuiet) {
    WindowStateTracker t;
    EXPECT_EQ(t.reported(WindowSize::kMaximised), WindowSize::kMaximised);
    // Into full screen: restore, then maximise.
    t.request(WindowShow::kRestore);
    t.request(WindowShow::kMaximise);
    EXPECT_EQ(t.takePending(), WindowShow::kMaximise);
    EXPECT_EQ(t.takePending(), std::nullopt);
    EXPECT_EQ(t.known(), WindowSize::kMaximised);
    EXPECT_EQ(t.reported(WindowSize::kMaximised), std::nullopt);
}

TEST(WindowStateTracker, MinimisedFromFullScreenComesBackMaximised) {
    WindowStateTracker t;
    t.request(WindowShow::kMaximise); // full screen
    t.takePending();
    EXPECT_EQ(t.reported(WindowSize::kMinimised), WindowSize::kMinimised);
    // The switch leaves full screen and shows the window minimised again.
    t.request(WindowShow::kRestore);
    t.request(WindowShow::kMinimise);
    EXPECT_EQ(t.takePending(), WindowShow::kMinimise);
    EXPECT_EQ(t.reported(WindowSize::kMinimised), std::nullopt);
    // The player brings it back: as it was before, maximised.
    EXPECT_EQ(t.reported(WindowSize::kRestored), WindowSize::kMaximised);
    // A window minimised from its normal size comes back restored.
    t.request(WindowShow::kRestore);
    EXPECT_EQ(t.reported(WindowSize::kRestored), std::nullopt);
    EXPECT_EQ(t.reported(WindowSize::kMinimised), WindowSize::kMinimised);
    EXPECT_EQ(t.reported(WindowSize::kRestored), WindowSize::kRestored);
}

} // namespace
} // namespace fer

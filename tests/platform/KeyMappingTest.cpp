// Keys and mouse buttons to the codes of the key-state word.

#include <gtest/gtest.h>

#include "platform/sdl/KeyMapping.h"

namespace fer {
namespace {

// USB HID usage ids, written out here so a wrong constant in the header shows.
TEST(KeyMapping, KeysOfTheKeyStateWord) {
    EXPECT_EQ(virtualKeyForScancode(40), 13);  // Return
    EXPECT_EQ(virtualKeyForScancode(88), 13);  // keypad Enter
    EXPECT_EQ(virtualKeyForScancode(44), 32);  // Space
    EXPECT_EQ(virtualKeyForScancode(41), 27);  // Escape
    EXPECT_EQ(virtualKeyForScancode(80), 37);  // Left
    EXPECT_EQ(virtualKeyForScancode(82), 38);  // Up
    EXPECT_EQ(virtualKeyForScancode(79), 39);  // Right
    EXPECT_EQ(virtualKeyForScancode(81), 40);  // Down
    EXPECT_EQ(virtualKeyForScancode(75), 33);  // Page Up
    EXPECT_EQ(virtualKeyForScancode(78), 34);  // Page Down
    EXPECT_EQ(virtualKeyForScancode(224), 17); // left Ctrl
    EXPECT_EQ(virtualKeyForScancode(228), 17); // right Ctrl
    EXPECT_EQ(virtualKeyForScancode(225), 16); // left Shift
    EXPECT_EQ(virtualKeyForScancode(229), 16); // right Shift
}

TEST(KeyMapping, KeypadKeysAreKeypadCodesNotArrows) {
    // The keypad keys keep their own scancodes with NumLock off, so they map
    // to the keypad codes either way (the arrows share their bits).
    EXPECT_EQ(virtualKeyForScancode(96), 104); // keypad 8
    EXPECT_EQ(virtualKeyForScancode(90), 98);  // keypad 2
    EXPECT_EQ(virtualKeyForScancode(92), 100); // keypad 4
    EXPECT_EQ(virtualKeyForScancode(94), 102); // keypad 6
    // Keypad 5, 7, 9 and the other keypad keys are not read.
    EXPECT_EQ(virtualKeyForScancode(93), 0);
    EXPECT_EQ(virtualKeyForScancode(95), 0);
    EXPECT_EQ(virtualKeyForScancode(97), 0);
}

TEST(KeyMapping, OtherKeysAndOutOfRangeCodesAreIgnored) {
    EXPECT_EQ(virtualKeyForScancode(4), 0);   // A
    EXPECT_EQ(virtualKeyForScancode(69), 0);  // F12 is the screenshot key, not a game key
    EXPECT_EQ(virtualKeyForScancode(226), 0); // left Alt
    EXPECT_EQ(virtualKeyForScancode(0), 0);
    EXPECT_EQ(virtualKeyForScancode(-1), 0);
    EXPECT_EQ(virtualKeyForScancode(100000), 0);
}

TEST(KeyMapping, MouseButtonsAsMessageNumbers) {
    EXPECT_EQ(mouseButtonMessage(1, true), 0x201);
    EXPECT_EQ(mouseButtonMessage(1, false), 0x202);
    EXPECT_EQ(mouseButtonMessage(3, true), 0x204);
    EXPECT_EQ(mouseButtonMessage(3, false), 0x205);
    EXPECT_EQ(mouseButtonMessage(2, true), 0); // middle
    EXPECT_EQ(mouseButtonMessage(4, false), 0);
}

} // namespace
} // namespace fer

#pragma once
// The script machine's vocabulary: the registers, flags and control-word bits
// that have an engine meaning. Every other register and flag is free for
// scripts. Registers are numbered as scripts number them.

#include <cstdint>

namespace fer {

// 16-bit registers.
namespace reg16 {
inline constexpr uint8_t kYear = 0; // 0..6: the local date and time (clock command)
inline constexpr uint8_t kMonth = 1;
inline constexpr uint8_t kDayOfWeek = 2;
inline constexpr uint8_t kDay = 3;
inline constexpr uint8_t kHour = 4;
inline constexpr uint8_t kMinute = 5;
inline constexpr uint8_t kSecond = 6;
inline constexpr uint8_t kStatusDayIcon = 4; // read by the map's status bar
inline constexpr uint8_t kStatusDate = 7;
inline constexpr uint8_t kStatusAmount = 12;
inline constexpr uint8_t kStatusTime = 19;
inline constexpr uint8_t kResult = 18; // hit test, log count, map, input tests
inline constexpr uint8_t kWordArray0First = 26;
inline constexpr uint8_t kPlane = 27; // the plane text and pictures are drawn on
inline constexpr uint8_t kControlWord = 29;
inline constexpr uint8_t kMouseX = 30;
inline constexpr uint8_t kMouseY = 31;
inline constexpr uint8_t kAreaLeft = 32; // 32..35: the text area
inline constexpr uint8_t kAreaTop = 33;
inline constexpr uint8_t kAreaRight = 34;
inline constexpr uint8_t kAreaBottom = 35;
inline constexpr uint8_t kCursorX = 36; // the text cursor
inline constexpr uint8_t kCursorY = 37;
inline constexpr uint8_t kColours = 38; // low byte text, high byte background
inline constexpr uint8_t kNumberOptions = 39;
inline constexpr uint8_t kFontWidth = 40;
inline constexpr uint8_t kFontHeight = 41;
inline constexpr uint8_t kTextStyle = 42;
inline constexpr uint8_t kAdvance = 43;
inline constexpr uint8_t kLineAdvance = 44;
inline constexpr uint8_t kImageX = 45; // 0xFFFF: the position stored in the picture
inline constexpr uint8_t kImageY = 46;
inline constexpr uint8_t kLoadedX = 47; // 47..50: the rectangle of the last picture
inline constexpr uint8_t kLoadedY = 48;
inline constexpr uint8_t kLoadedWidth = 49;
inline constexpr uint8_t kLoadedHeight = 50;
inline constexpr uint8_t kColourKey = 51;
inline constexpr uint8_t kChoiceCount = 52;
inline constexpr uint8_t kChoiceKey = 53;
} // namespace reg16

// 32-bit registers.
namespace reg32 {
inline constexpr uint8_t kMusicToggled = 1; // 0xFFFF after the menu's music toggle
inline constexpr uint8_t kLogStart = 18;
inline constexpr uint8_t kPictureOffset = 26; // from 0x1000; also 32-bit array 0's first element
inline constexpr uint8_t kAnimationData = 27;
inline constexpr uint8_t kMapBlock = 28; // 28..30: counted from kCodeAddress
inline constexpr uint8_t kObjectBlock = 29;
inline constexpr uint8_t kTriggerTable = 30;
inline constexpr uint8_t kDataTable = 29; // the data-table lookup's table, from kCodeAddress
inline constexpr uint8_t kHitTable = 31;  // from 0x1000
inline constexpr uint8_t kCodeAddress = 32;
inline constexpr uint8_t kChoiceAddresses = 33; // 33..35: references into the machine block
inline constexpr uint8_t kChoiceKeys = 34;
inline constexpr uint8_t kBlockWord100 = 35;
} // namespace reg32

// Flags with an engine meaning.
namespace flag {
inline constexpr uint32_t kFewerReserved = 2024; // 1: presets keep 10 entries, else 16
inline constexpr uint32_t kNoDecideWait = 2035;
inline constexpr uint32_t kWeather = 2047; // read by the map's status bar
} // namespace flag

// Bits of the control word (16-bit register 29).
namespace control {
inline constexpr uint16_t kTakePalette = 0x01;
inline constexpr uint16_t kKeepPalette = 0x02;
inline constexpr uint16_t kAnimate = 0x04;
inline constexpr uint16_t kLeaveChoice = 0x08;
inline constexpr uint16_t kChangePending = 0x10;
inline constexpr uint16_t kAutoPresent = 0x20;
inline constexpr uint16_t kMessageOpen = 0x40;
inline constexpr uint16_t kRecording = 0x80;
inline constexpr uint16_t kVoicesAllowed = 0x200;
inline constexpr uint16_t kLoggingEnabled = 0x400;
inline constexpr uint16_t kInitial = 0x27;
} // namespace control

} // namespace fer

#pragma once
// The key indexes of keyDown: what the key-state word records.

namespace fer {

// Key indexes of keyDown.
namespace key {
inline constexpr int kDecide = 0;
inline constexpr int kCancel = 1;
inline constexpr int kUp = 2;
inline constexpr int kDown = 3;
inline constexpr int kLeft = 4;
inline constexpr int kRight = 5;
inline constexpr int kShift = 6;
inline constexpr int kSkip = 7;
inline constexpr int kAny = 8;
} // namespace key

} // namespace fer

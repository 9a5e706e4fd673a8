#pragma once
// The states of the main window that the interpreter polls.

namespace fer {

// Window states of the main window.
namespace window_state {
inline constexpr int kActive = 0;
inline constexpr int kInactive = 1;
inline constexpr int kMinimised = 2;
inline constexpr int kRestart = 3;
inline constexpr int kClosed = 255;
} // namespace window_state

} // namespace fer

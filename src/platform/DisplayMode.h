#pragma once
// How the window shows the 640x400 picture: in a window or over the whole
// screen (a borderless window over the desktop, the picture scaled inside
// it); scaled by a whole factor (sharp pixels, black borders), to the
// largest size that keeps its shape, or stretched over the whole area. And
// the window's own size states, as the player changes them and as the
// engine asks for them.

#include <optional>
#include <string_view>

namespace fer {

enum class DisplayMode { kWindowed, kFullScreen };
enum class ScaleMode { kWholeFactor, kFit, kStretch };

// What the engine asks of the window: shown at its normal size, maximised
// or minimised.
enum class WindowShow { kRestore, kMaximise, kMinimise };

// A size notification of the window: restored, minimised or maximised (the
// numbers are the kinds of the display-mode switch).
enum class WindowSize { kRestored = 0, kMinimised = 1, kMaximised = 2 };

// "fit" and "stretch" (any letter case); nothing for any other text.
std::optional<ScaleMode> scaleModeNamed(std::string_view name);
std::string_view scaleModeName(ScaleMode mode);

} // namespace fer
